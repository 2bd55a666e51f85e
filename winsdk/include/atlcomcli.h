#pragma once
// The template-library wrappers.
#include "coravl_win/atlbase.h"
