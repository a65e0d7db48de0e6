#include "bench_support.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>

namespace plovane::bench {
namespace {

std::string& programName() {
  static std::string name = "plovane-bench";
  return name;
}

double smallest(const std::vector<double>& times) {
  return times.empty() ? std::numeric_limits<double>::infinity()
                       : *std::min_element(times.begin(), times.end());
}

void removeOpenFolder(int folderFd) {
  forEachEntry(folderFd, [](int fd, const dirent& entry) {
    if (unlinkat(fd, entry.d_name, 0) == 0 || (errno != EISDIR && errno != EPERM)) return;
    const int sub = openat(fd, entry.d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub >= 0) removeOpenFolder(sub);
    unlinkat(fd, entry.d_name, AT_REMOVEDIR);
  });
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

void Runs::add(Timing timing) {
  seconds.push_back(timing.seconds);
  cpuSeconds.push_back(timing.cpuSeconds);
}

double Runs::best() const {
  return smallest(seconds);
}

double Runs::bestCpu() const {
  return smallest(cpuSeconds);
}

void printTimes(const char* key, const std::vector<double>& times) {
  std::printf("%s:", key);
  for (const double t : times) std::printf(" %.3f", t);
  std::printf("\n");
}

void printCheck(const std::vector<std::string>& faults) {
  std::printf("check: %s\n", faults.empty() ? "ok" : "MISMATCH");
  for (const auto& fault : faults) std::printf("check_fault: %s\n", fault.c_str());
  std::fflush(stdout);
}

const char* yesNo(bool value) {
  return value ? "yes" : "no";
}

void setProgramName(std::string_view name) {
  programName() = name;
}

void die(const std::string& what) {
  fail(what + ": " + std::strerror(errno));
}

void fail(const std::string& what) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s: %s\n", programName().c_str(), what.c_str());
  std::exit(2);
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
