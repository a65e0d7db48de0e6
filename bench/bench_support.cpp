#include "bench_support.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>

namespace plovane::bench {
namespace {

std::string& programName() {
  static std::string name = "plovane-bench";
  return name;
}

}  // namespace

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

double best(const std::vector<double>& seconds) {
  return seconds.empty() ? std::numeric_limits<double>::infinity()
                         : *std::min_element(seconds.begin(), seconds.end());
}

void printTimes(const char* key, const std::vector<double>& seconds) {
  std::printf("%s:", key);
  for (const double s : seconds) std::printf(" %.3f", s);
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

void parseCommandLine(CLI::App& app, int argc, char** argv) {
  programName() = app.get_name();  // for the errors and the temporary folders to come
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    std::exit(status == 0 ? 0 : 2);
  }
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
  std::error_code ignored;  // what cannot be removed stays, as a bench's leftovers may
  std::filesystem::remove_all(root, ignored);
}

}  // namespace plovane::bench
