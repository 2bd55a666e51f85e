#pragma once
// Generic-text mappings for a build without UNICODE: TCHAR is char.
#include "coravl_win/base.h"
#define _tcslen strlen
#define _tcscmp strcmp
#define _tcsicmp strcasecmp
#define _tcscpy strcpy
#define _stprintf sprintf
