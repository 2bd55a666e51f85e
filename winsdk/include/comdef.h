#pragma once
// The compiler-support smart types.
#include "coravl_win/comdef.h"
