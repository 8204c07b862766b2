#pragma once

// Private to the Windows backend: the Win32 API without the parts the backend never uses and
// without the min and max macros that would break the standard library.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
