#pragma once

// Windows for every file of the filter and its server: the lean set of declarations, and no
// min and max macros to clash with the standard library's. Include it before any other
// Windows header, which would otherwise bring in <windows.h> with its defaults.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
