#include "platform/process.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "common/failure.h"

namespace plovane::platform {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::string makePrivateTemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/plovane-XXXXXX";
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

int runInstead(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  throw failureFromErrno(errno);
}

}  // namespace plovane::platform
