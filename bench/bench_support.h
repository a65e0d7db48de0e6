#pragma once

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

// What every bench needs around its measurements: clocks, printing, errors and the temporary
// folders its trees live in. Nothing here may use Qt: plovane-bench builds without it.

namespace plovane::bench {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start);

// The processor time of the calling thread: a second view of a run on a machine shared with
// other work, which stretches wall time but not this.
double threadCpuSeconds();

double milliseconds(Clock::duration duration);

struct Timing {
  double seconds = 0;
  double cpuSeconds = 0;
};

template <class Work>
Timing timed(Work&& work) {
  const double cpuStart = threadCpuSeconds();
  const auto start = Clock::now();
  work();
  const double seconds = secondsSince(start);
  return {seconds, threadCpuSeconds() - cpuStart};
}

// The times of repeated runs. All of them are printed, so that a single slow run shows beside
// the best one, which is the one that counts.
struct Runs {
  std::vector<double> seconds;
  std::vector<double> cpuSeconds;

  void add(Timing timing);
  double best() const;
  double bestCpu() const;
};

// One line of the seconds: "key: 0.123 0.120 ...".
void printTimes(const char* key, const std::vector<double>& times);

// "check: ok", or "check: MISMATCH" and a "check_fault:" line for each fault.
void printCheck(const std::vector<std::string>& faults);

const char* yesNo(bool value);

// The name in error messages and in the names of temporary folders; the command line's
// parsing sets it, before anything can fail.
void setProgramName(std::string_view name);

// For what a bench cannot do without: prints the failure with errno's text, exit status 2.
[[noreturn]] void die(const std::string& what);
// The same for a failure errno does not describe.
[[noreturn]] void fail(const std::string& what);

// An existing folder is fine: trees are generated into folders a previous run may have left.
void makeFolder(const std::string& path);

// A fresh folder in $TMPDIR (or /tmp) named after the program.
std::string temporaryFolder();

// Calls visit(folderFd, entry) for each entry of an open folder but "." and "..", and closes
// the folder; false when it could not be read.
template <class Visit>
bool forEachEntry(int folderFd, Visit&& visit) {
  DIR* dir = fdopendir(folderFd);
  if (dir == nullptr) {
    close(folderFd);
    return false;
  }
  while (const dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    visit(dirfd(dir), *entry);
  }
  closedir(dir);
  return true;
}

// Removes a tree without following links out of it, so a tree that holds links to folders
// elsewhere takes nothing else with it.
void removeTree(const std::string& root);

}  // namespace plovane::bench
