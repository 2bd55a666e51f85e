#pragma once
// Precompiled-header stand-in: everything a template-library module includes.
#include "coravl_win/atlcom.h"
#include "coravl_win/comdef.h"
