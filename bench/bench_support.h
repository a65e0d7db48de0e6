#pragma once

#include <CLI/CLI.hpp>
#include <chrono>
#include <string>
#include <vector>

// What every bench needs around its measurements: its command line, a clock, printing, errors
// and the temporary folders its trees live in. Nothing here may use Qt: plovane-bench builds
// without it.

namespace plovane::bench {

// Parses the options added to app, and names the program after it. --help prints the help and exits
// with status 0; a usage error says what is wrong and exits with status 2.
void parseCommandLine(CLI::App& app, int argc, char** argv);

// A count, 1 to limit, its default shown in the help.
template <typename Number>
CLI::Option* addCount(CLI::App& app, const std::string& name, Number& into, Number limit,
                      const std::string& description) {
  return app.add_option(name, into, description)
      ->check(CLI::Range(Number(1), limit))
      ->capture_default_str();
}

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start);
double milliseconds(Clock::duration duration);

template <class Work>
double timed(Work&& work) {
  const auto start = Clock::now();
  work();
  return secondsSince(start);
}

// The seconds of repeated runs; the best one counts, the others show how steady they were.
double best(const std::vector<double>& seconds);

// One line of the seconds of every run: "key: 0.123 0.120 ...".
void printTimes(const char* key, const std::vector<double>& seconds);

// "check: ok", or "check: MISMATCH" and a "check_fault:" line for each fault.
void printCheck(const std::vector<std::string>& faults);

const char* yesNo(bool value);

// For what a bench cannot do without: prints the failure with errno's text, exit status 2.
[[noreturn]] void die(const std::string& what);
// The same for a failure errno does not describe.
[[noreturn]] void fail(const std::string& what);

// An existing folder is fine: trees are generated into folders a previous run may have left.
void makeFolder(const std::string& path);

// A fresh folder in $TMPDIR (or /tmp) named after the program.
std::string temporaryFolder();

// Removes a tree without following links out of it.
void removeTree(const std::string& root);

}  // namespace plovane::bench
