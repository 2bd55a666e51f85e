#pragma once
// Windows COM and automation, on comlite.
#include "coravl_win/base.h"
