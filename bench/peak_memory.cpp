#include "peak_memory.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench_support.h"

namespace plovane::bench {

long statusKiB(std::string_view key) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) die("cannot read /proc/self/status");
  char line[256];
  long value = -1;
  while (value < 0 && std::fgets(line, sizeof line, status) != nullptr) {
    const std::string_view text = line;
    if (text.size() > key.size() && text.substr(0, key.size()) == key && text[key.size()] == ':')
      value = std::strtol(line + key.size() + 1, nullptr, 10);
  }
  std::fclose(status);
  if (value < 0) fail("no " + std::string(key) + " in /proc/self/status");
  return value;
}

bool resetPeakResident() {
  const int fd = open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
  const bool reset = fd >= 0 && write(fd, "5", 1) == 1;
  if (fd >= 0) close(fd);
  return reset;
}

Figures figuresFromChild(const std::function<void()>& work) {
  int channel[2];
  if (pipe(channel) != 0) die("cannot make a pipe");
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t child = fork();
  if (child < 0) die("cannot fork");
  if (child == 0) {
    dup2(channel[1], STDOUT_FILENO);
    close(channel[0]);
    close(channel[1]);
    work();
    _exit(std::fflush(stdout) == 0 ? 0 : 1);  // nothing torn down: that is not measured
  }
  close(channel[1]);
  std::FILE* in = fdopen(channel[0], "r");
  if (in == nullptr) die("cannot read from the child");
  Figures figures;
  char line[256];
  while (std::fgets(line, sizeof line, in) != nullptr) {
    char* colon = std::strchr(line, ':');
    if (colon == nullptr) continue;
    *colon = 0;
    figures[line] = std::strtod(colon + 1, nullptr);
  }
  std::fclose(in);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  return figures;
}

}  // namespace plovane::bench
