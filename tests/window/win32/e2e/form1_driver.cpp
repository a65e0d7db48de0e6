// form1_driver: drives the real Plovane.exe from another process, as a user's clicks would,
// for the end-to-end test under Wine (run_form1_e2e_test.sh), and times it for the speed
// figures (bench/win32_window_figures.sh).
//
//   form1_driver e2e --left X:\left --right X:\right --rows N --untick K
//                    --report X:\work\results --out X:\work
//   form1_driver speed --exe Plovane.exe --cli plovane.com --left ... --right ... --rows N
//                      --tsv X:\work\cli.tsv [--runs 3]
//
// Every wait has a time limit; a failure prints what was to be seen and exits with 1.

#include "platform/win32/windows_api.h"

#include <cstdio>
#include <exception>
#include <string>

#include "driver_options.h"
#include "end_to_end.h"
#include "platform/win32/wide_text.h"
#include "window_access.h"

int wmain(int argc, wchar_t** argv) {
  using namespace plovane::e2e;
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  try {
    const DriverOptions options(argc, argv, 2);
    if (mode == L"e2e") {
      runEndToEnd(options);
    } else if (mode == L"speed") {
      runSpeedFigures(options);
    } else {
      std::fprintf(stderr, "usage: form1_driver e2e|speed --name value...\n");
      return 2;
    }
  } catch (const std::exception& failure) {
    std::printf("driver: FAILED: %s\n", failure.what());
    if (HWND form = FindWindowW(L"Plovane.Form1", nullptr)) {
      DWORD processId = 0;
      GetWindowThreadProcessId(form, &processId);
      std::printf("driver: the window's process shows:\n%s", describeWindowsOf(processId).c_str());
    }
    return 1;
  }
  return 0;
}
