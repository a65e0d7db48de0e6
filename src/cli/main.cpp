// The command "plovane": "plovane compare ..." runs here without a window and without Qt, so it
// starts fast and works where no display is. Everything else goes to the window program
// beside it, with the same arguments.

#include <cstdio>
#include <string>
#include <vector>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/compare_command.h"
#include "common/failure.h"
#include "platform/list_memory.h"
#include "platform/process.h"
#include "platform/process_launcher.h"

namespace {

// Where the window program lies: as installed (on Windows beside the command), or in a build
// folder (src/window/qt/ or src/window/win32/ beside src/cli/).
std::vector<std::string> windowProgramCandidates() {
  const std::string self = plovane::platform::executablePath();
  const std::string folder = self.substr(0, self.find_last_of("/\\") + 1);
#ifdef _WIN32
  return {folder + "Plovane.exe", folder + "..\\window\\win32\\Plovane.exe"};
#else
  return {folder + PLOVANE_INSTALLED_WINDOW, folder + "../window/qt/plovane"};
#endif
}

int openWindow(std::vector<std::string> arguments) {
  for (const std::string& program : windowProgramCandidates()) {
    arguments[0] = program;
    try {
      return plovane::platform::runInstead(program, arguments);
    } catch (const plovane::Failure&) {
      // Not there: try the next place.
    }
  }
  std::fputs("plovane: the window program was not found beside this command\n", stderr);
  return plovane::cli::kTrouble;
}

}  // namespace

int main(int argc, char** argv) {
  namespace cli = plovane::cli;
  plovane::platform::guardStandardStreams();
  std::vector<std::string> arguments = plovane::platform::commandLineArguments(argc, argv);
  if (arguments.empty()) arguments.emplace_back();
  if (arguments.size() >= 2) {
    const std::string& first = arguments[1];
    if (first == "compare") {
#ifdef _WIN32
      // The outputs carry their own line ends, CR LF where a text wants them, and names byte
      // for byte: the C runtime's text mode would put another CR before every LF.
      _setmode(_fileno(stdout), _O_BINARY);
#endif
      plovane::platform::prepareAllocatorForLists();
      return cli::runCompare(
          {arguments.begin() + 2, arguments.end()},
          {stdout, stderr, plovane::platform::isTerminal(1), plovane::platform::isTerminal(2)});
    }
    if (first == "-h" || first == "--help") {
      std::fputs(cli::usage().c_str(), stdout);
      return 0;
    }
    if (first == "--version") {
      std::printf("%s\n", cli::versionLine().c_str());
      return 0;
    }
    if (first.size() > 1 && first[0] == '-') {
      std::fprintf(stderr, "plovane: unknown option %s\n\n%s", first.c_str(), cli::usage().c_str());
      return cli::kTrouble;
    }
  }
  if (arguments.size() != 1 && arguments.size() != 3) {
    std::fprintf(stderr, "plovane: give two folders, or none\n\n%s", cli::usage().c_str());
    return cli::kTrouble;
  }
  return openWindow(arguments);
}
