#include "platform/process.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>

#include "common/failure.h"
#include "platform/process_launcher.h"

namespace plovane::platform {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::string temporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder && *folder ? folder : "/tmp";
}

std::string makePrivateTemporaryFolder() {
  std::string pattern = temporaryFolder() + "/plovane-XXXXXX";
  if (!mkdtemp(pattern.data())) throw failureFromErrno(errno);
  return pattern;
}

std::string executablePath() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

bool isTerminal(int stream) {
  return isatty(stream) == 1;
}

void guardStandardStreams() {
  for (const int stream : {0, 1, 2}) {
    if (fcntl(stream, F_GETFD) != -1 || errno != EBADF) continue;
    // Opened the other way round: reading standard input or writing an output fails.
    const int placeholder = open("/dev/null", stream == 0 ? O_WRONLY : O_RDONLY);
    if (placeholder >= 0 && placeholder != stream) {
      dup2(placeholder, stream);
      close(placeholder);
    }
  }
}

#ifdef __GLIBC__
namespace {

constexpr std::string_view kTunables = "GLIBC_TUNABLES";
constexpr std::string_view kListAllocator = "glibc.malloc.hugetlb=1:glibc.malloc.top_pad=16777216";

void setTunables(const std::string& tunables) {
  if (tunables.empty()) {
    unsetenv(kTunables.data());
  } else {
    setenv(kTunables.data(), tunables.c_str(), 1);
  }
}

}  // namespace
#endif

void restartWithListAllocator(int argc, char** argv) {
#ifdef __GLIBC__
  const char* const found = std::getenv(kTunables.data());
  const std::string chosen = found ? found : "";
  if (chosen.ends_with(kListAllocator)) {
    // Restarted: the settings have done their work, and programs started from here on get
    // the environment the user gave.
    std::string given = chosen.substr(0, chosen.size() - kListAllocator.size());
    if (given.ends_with(':')) given.pop_back();
    setTunables(given);
    return;
  }
  if (chosen.find("glibc.malloc.hugetlb=") != std::string::npos) return;
  setTunables(chosen.empty() ? std::string(kListAllocator)
                             : chosen + ":" + std::string(kListAllocator));
  try {
    runInstead(executablePath(), commandLineArguments(argc, argv));
  } catch (const Failure&) {
    setTunables(chosen);  // not restarted: the program goes on as it is
  }
#else
  (void)argc;
  (void)argv;
#endif
}

}  // namespace plovane::platform
