#include "platform/process.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "common/failure.h"

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

}  // namespace plovane::platform
