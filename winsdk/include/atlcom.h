#pragma once
// The template-library object idiom.
#include "coravl_win/atlcom.h"
