// A local automation server standing in for the spreadsheet application in the tests of the
// COM export: the members the export calls, each call and each cell's value written to the
// log file named on its command line, and the count of live objects each time one goes.
// Started by COM with "-Embedding" after the registered command line; it serves one client
// and ends when that client has released everything, or after 20 seconds without a call.

#include "platform/win32/windows_api.h"

#include <objbase.h>
#include <shellapi.h>

#include <string>

#include "automation_object.h"
#include "class_factory.h"
#include "fake_excel_class.h"
#include "server_log.h"

namespace {

using namespace plovane::test::fake_excel;

constexpr ULONGLONG kIdleLimitMs = 20000;

// The first argument that is no switch.
std::wstring logPathArgument() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::wstring path;
  for (int i = 1; arguments && i < count && path.empty(); ++i) {
    if (arguments[i][0] != L'-' && arguments[i][0] != L'/') path = arguments[i];
  }
  LocalFree(arguments);
  return path;
}

// Serves calls until the last object goes or the client stays silent too long.
void serve(HANDLE noneLive) {
  while (WaitForSingleObject(noneLive, 1000) == WAIT_TIMEOUT) {
    if (GetTickCount64() - AutomationObject::lastActivity() > kIdleLimitMs) {
      ServerLog::write(L"! gave up waiting; still live: " + AutomationObject::liveObjectNames());
      return;
    }
  }
}

}  // namespace

int main() {
  const std::wstring logPath = logPathArgument();
  if (logPath.empty()) return 2;
  ServerLog::open(logPath);
  // A multithreaded apartment, which needs no window: under Wine without a display, a
  // window would start the desktop process, which can outlive the test holding its output.
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 3;
  ServerLog::write(L"started");
  const HANDLE noneLive = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  AutomationObject::signalWhenNoneLive(noneLive);
  static ClassFactory factory;
  DWORD cookie = 0;
  // One client per server, as every start of the application is a new one.
  if (FAILED(CoRegisterClassObject(kApplicationClass, &factory, CLSCTX_LOCAL_SERVER,
                                   REGCLS_SINGLEUSE, &cookie))) {
    ServerLog::write(L"! the class object could not be registered");
    CoUninitialize();
    return 4;
  }
  serve(noneLive);
  CoRevokeClassObject(cookie);
  CoUninitialize();
  return 0;
}
