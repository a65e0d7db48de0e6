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
#include <optional>
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

// The best of runs of the command; dies when it does not run.
double bestOf(const std::vector<std::string>& command, int runs) {
  std::vector<double> seconds;
  for (int run = 0; run < runs; ++run) {
    const std::optional<double> time = timeCommand(command);
    if (!time) fail("could not run " + command[0]);
    seconds.push_back(*time);
  }
  return best(seconds);
}

int benchMain(const std::string& plovane, std::uint32_t files, int runs) {
  const std::string temp = temporaryFolder();
  const std::string left = temp + "/left/", right = temp + "/right/";
  generateTrees(plannedTrees(files), left, right);
  makeFolder(temp + "/empty1");
  makeFolder(temp + "/empty2");
  std::printf("files_per_side: %" PRIu32 "\n", files);

  const std::vector<std::string> compare = {plovane, "compare", "--tsv", left, right};
  const std::vector<std::string> rsync = {"rsync", "-rn", "--itemize-changes", left, right};
  timeCommand(compare);  // warms the cache for both
  const double compareSeconds = bestOf(compare, runs);
  std::printf("compare_seconds: %.3f\n", compareSeconds);
  if (timeCommand(rsync)) {
    const double rsyncSeconds = bestOf(rsync, runs);
    std::printf("rsync_seconds: %.3f\n", rsyncSeconds);
    std::printf("cli_vs_rsync_ratio: %.2f\n", compareSeconds / rsyncSeconds);
    std::printf("cli_vs_rsync_target_met: %s\n", yesNo(compareSeconds <= 0.8 * rsyncSeconds));
  } else {
    std::printf("rsync: not found (apt-get install rsync to compare with it)\n");
  }

  // Start-up: many runs of each, in turn, the best of each, so that one slow start does not
  // count.
  std::vector<double> emptyRuns;
  std::vector<double> trueRuns;
  for (int run = 0; run < 50; ++run) {
    if (const auto seconds =
            timeCommand({plovane, "compare", "--tsv", temp + "/empty1", temp + "/empty2"})) {
      emptyRuns.push_back(*seconds);
    }
    if (const auto seconds = timeCommand({"true"})) trueRuns.push_back(*seconds);
  }
  const double emptySeconds = best(emptyRuns);
  const double trueSeconds = best(trueRuns);
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
  using namespace plovane::bench;
  std::string plovane;
  std::uint32_t files = 200'000;
  int runs = 3;
  CLI::App app(
      "Times 'PLOVANE compare --tsv A B > /dev/null' against 'rsync -rn --itemize-changes A/ B/'\n"
      "on two synthetic trees (warm cache, best of --runs), and the command's start-up on\n"
      "two empty folders against 'true'. Prints key: value lines: cli_vs_rsync_ratio\n"
      "(target <= 0.8) and startup_over_true_ms (target <= 20).\n",
      "plovane-cli-bench");
  app.add_option("PLOVANE", plovane, "the command line to time, such as build/src/cli/plovane")
      ->required();
  addCount(app, "--files", files, 50'000'000u, "files per side");
  addCount(app, "--runs", runs, 100, "timed runs of each command");
  parseCommandLine(app, argc, argv);
  return benchMain(plovane, files, runs);
}
