#pragma once
//! Export mark of the host framework's C++ builder API (the library is built with hidden
//! visibility; only the COM entry points and what carries this mark are visible).

#define RAVELIN_API __attribute__((visibility("default")))
