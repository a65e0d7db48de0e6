#pragma once

// <windows.h> as the Windows layer includes it: without min/max macros and the rarely used
// parts. Internal to src/platform/win32/ (and the Windows-only tests).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
