#include "bench_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace plovane::bench {
namespace {

std::string& programName() {
  static std::string name = "plovane-bench";
  return name;
}

void removeOpenFolder(int folderFd) {
  DIR* dir = fdopendir(folderFd);
  if (dir == nullptr) {
    close(folderFd);
    return;
  }
  const int fd = dirfd(dir);
  while (const dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    if (unlinkat(fd, name, 0) == 0) continue;
    if (errno != EISDIR && errno != EPERM) continue;
    const int sub = openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub >= 0) removeOpenFolder(sub);
    unlinkat(fd, name, AT_REMOVEDIR);
  }
  closedir(dir);
}

}  // namespace

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double threadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

const char* yesNo(bool value) {
  return value ? "yes" : "no";
}

void printTimes(const char* key, const std::vector<double>& times) {
  std::printf("%s:", key);
  for (const double t : times) std::printf(" %.3f", t);
  std::printf("\n");
}

void setProgramName(std::string_view name) {
  programName() = name;
}

void die(const std::string& what) {
  std::fprintf(stderr, "%s: %s: %s\n", programName().c_str(), what.c_str(), std::strerror(errno));
  std::exit(2);
}

std::optional<std::uint64_t> parseCount(const char* text, std::uint64_t limit) {
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (errno != 0 || end == text || *end != 0 || value == 0 || value > limit) return {};
  return value;
}

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
  if (value < 0) die("no " + std::string(key) + " in /proc/self/status");
  return value;
}

void resetPeakResident() {
  const int fd = open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
  const bool reset = fd >= 0 && write(fd, "5", 1) == 1;
  if (fd >= 0) close(fd);
  if (!reset) die("cannot reset the peak resident size");
}

void makeFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) die("cannot create " + path);
}

std::string temporaryFolder() {
  std::string base = "/tmp";
  if (const char* tmp = std::getenv("TMPDIR"); tmp != nullptr && *tmp != 0) base = tmp;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  std::string pattern = base + "/" + programName() + "-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) die("cannot create a folder in " + base);
  return pattern;
}

void removeTree(const std::string& root) {
  const int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) removeOpenFolder(fd);
  rmdir(root.c_str());
}

}  // namespace plovane::bench
