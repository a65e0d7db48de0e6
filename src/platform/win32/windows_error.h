#pragma once

#include "common/failure.h"

// Failures of the Windows interfaces as the core knows them. Internal to src/platform/win32/.
namespace plovane::platform::win32 {

// The failure for a GetLastError() code: the program's own description and code where it
// has one (permission denied, path not found, disk full), the system's text otherwise; the
// system's text is kept as the failure's system reason in either case.
Failure failureFromWindowsError(unsigned long error);

}  // namespace plovane::platform::win32
