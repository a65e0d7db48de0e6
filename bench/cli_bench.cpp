// plovane-cli-bench: the command line against the tool people reach for to list what differs
// between two trees, on the same synthetic trees in one run, and the command's start-up
// against that of a program that does nothing.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "bench_support.h"
#include "synthetic_trees.h"

extern char** environ;

namespace plovane::bench {
namespace {

// Runs the command to its end with standard output and error thrown away; answers its wall
// time, or nothing when it could not run or failed (status above 1).
std::optional<double> timeCommand(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = Clock::now();
  pid_t child = 0;
  const int failed = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) return std::nullopt;
  int status = 0;
  waitpid(child, &status, 0);
  const double seconds = secondsSince(start);
  if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) return std::nullopt;
  return seconds;
}

double best(const std::vector<std::string>& command, int runs, const char* key) {
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    const std::optional<double> seconds = timeCommand(command);
    if (!seconds) die(std::string("could not run ") + command[0]);
    times.push_back(*seconds);
  }
  printTimes(key, times);
  return *std::min_element(times.begin(), times.end());
}

int benchMain(int argc, char** argv) {
  setProgramName("plovane-cli-bench");
  if (argc < 2) {
    std::fputs(
        "usage: plovane-cli-bench PLOVANE [--files N] [--runs N]\n"
        "Times 'PLOVANE compare --tsv A B > /dev/null' against 'rsync -rn --itemize-changes A/ "
        "B/'\n"
        "on two synthetic trees (warm cache, best of --runs), and the command's start-up on\n"
        "two empty folders against 'true'. Prints key: value lines.\n",
        stderr);
    return 2;
  }
  const std::string plovane = argv[1];
  std::uint32_t files = 200'000;
  int runs = 3;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--files" && parseCount(argv[i + 1], 50'000'000, files)) continue;
    if (option == "--runs" && parseCount(argv[i + 1], 100, runs)) continue;
    die("bad option " + option);
  }

  const std::string temp = temporaryFolder();
  const std::string left = temp + "/left/", right = temp + "/right/";
  const Trees trees = plannedTrees(files);
  generateSide(trees, trees.left, left);
  generateSide(trees, trees.right, right);
  makeFolder(temp + "/empty1");
  makeFolder(temp + "/empty2");
  std::printf("files_per_side: %" PRIu32 "\n", files);

  const std::vector<std::string> compare = {plovane, "compare", "--tsv", left, right};
  const std::vector<std::string> rsync = {"rsync", "-rn", "--itemize-changes", left, right};
  timeCommand(compare);  // warms the cache for both
  const double compareSeconds = best(compare, runs, "compare_runs_seconds");
  if (timeCommand(rsync)) {
    const double rsyncSeconds = best(rsync, runs, "rsync_runs_seconds");
    std::printf("cli_vs_rsync_ratio: %.2f\n", compareSeconds / rsyncSeconds);
    std::printf("cli_vs_rsync_target_met: %s\n", yesNo(compareSeconds <= 0.8 * rsyncSeconds));
  } else {
    std::printf("rsync: not found (apt-get install rsync to compare with it)\n");
  }

  // Start-up: many runs, the best of each, so that one slow start does not count.
  const std::vector<std::string> empty = {plovane, "compare", "--tsv", temp + "/empty1",
                                          temp + "/empty2"};
  double emptySeconds = std::numeric_limits<double>::infinity();
  double trueSeconds = std::numeric_limits<double>::infinity();
  for (int run = 0; run < 50; ++run) {
    emptySeconds = std::min(emptySeconds, timeCommand(empty).value_or(emptySeconds));
    trueSeconds = std::min(trueSeconds, timeCommand({"true"}).value_or(trueSeconds));
  }
  std::printf("startup_ms: %.2f\n", emptySeconds * 1e3);
  std::printf("true_ms: %.2f\n", trueSeconds * 1e3);
  std::printf("startup_over_true_ms: %.2f\n", (emptySeconds - trueSeconds) * 1e3);
  std::printf("startup_target_met: %s\n", yesNo(emptySeconds - trueSeconds <= 0.020));
  removeTree(temp);
  return 0;
}

}  // namespace
}  // namespace plovane::bench

int main(int argc, char** argv) {
  return plovane::bench::benchMain(argc, argv);
}
