#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What both benchmarks need around their measurements: clocks, printing, errors, options and
// the temporary folders their trees live in. Nothing here may use Qt: plovane-bench builds
// without it.

namespace plovane::bench {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start);

// The processor time of the calling thread: a second view of a run on a machine shared with
// other work, which stretches wall time but not this.
double threadCpuSeconds();

double milliseconds(Clock::duration duration);

const char* yesNo(bool value);

// One line of every run's seconds, so that a single slow run shows beside the best one.
void printTimes(const char* key, const std::vector<double>& times);

// The name in error messages and in the names of temporary folders; each bench sets its own
// before anything can fail.
void setProgramName(std::string_view name);

// For what a bench cannot do without: prints the failure with errno's text, exit status 2.
[[noreturn]] void die(const std::string& what);

// A count given on the command line, 1 to limit; anything else is a usage error.
std::optional<std::uint64_t> parseCount(const char* text, std::uint64_t limit);

// The same into an option's field, which a usage error leaves as it was.
template <typename Number>
bool parseCount(const char* text, std::uint64_t limit, Number& into) {
  const std::optional<std::uint64_t> value = parseCount(text, limit);
  if (value) into = static_cast<Number>(*value);
  return value.has_value();
}

// A figure of /proc/self/status in KiB, such as VmRSS or VmHWM (the peak resident size);
// dies when there is none.
long statusKiB(std::string_view key);

// From here on, VmHWM counts only what comes: it starts again from the resident size.
void resetPeakResident();

// An existing folder is fine: trees are generated into folders a previous run may have left.
void makeFolder(const std::string& path);

// A fresh folder in $TMPDIR (or /tmp) named after the program.
std::string temporaryFolder();

// Removes a tree without following links out of it, so a tree that holds links to folders
// elsewhere takes nothing else with it.
void removeTree(const std::string& root);

}  // namespace plovane::bench
