#pragma once

// <windows.h> as the Windows layer includes it: without min/max macros and the rarely used
// parts. For the Windows side of every room (and the Windows-only tests).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
