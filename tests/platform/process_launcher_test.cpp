// Programs started with exactly the arguments given, whatever they hold and by whichever way
// they are started; a program that cannot start, or fails at once, is told with the reason;
// one that hangs is killed at the time limit.

#include "platform/process_launcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/failure.h"
#include "platform/process.h"
#include "temp_tree.h"
#include "waited_file.h"

#ifndef _WIN32
#include <sys/wait.h>

#include <cerrno>
#endif

namespace plovane::test {
namespace {

using namespace std::chrono_literals;
using Arguments = std::vector<std::string>;

#ifdef _WIN32
constexpr const char* kProgramSuffix = ".exe";
#else
constexpr const char* kProgramSuffix = "";
#endif

// launch_probe.cpp, built beside this test program.
std::string probe() {
  const std::string self = platform::executablePath();
  return self.substr(0, self.find_last_of("/\\") + 1) + "launch_probe" + kProgramSuffix;
}

// What shells and the Windows command-line rules would read otherwise.
const Arguments kAwkward = {"two words",
                            "",
                            " ",
                            "tab\there",
                            "new\nline",
                            "\"quoted\"",
                            "it's",
                            "a\\b",
                            "trailing\\",
                            "\\\"",
                            "C:\\with space\\",
                            "a\\\\\"b c",
                            "; & | $HOME %PATH% `id` *?",
                            "Grüße Ελλάδα 日本語 🙂",
                            "-n"};

Arguments withAwkwardOnes(Arguments command) {
  command.insert(command.end(), kAwkward.begin(), kAwkward.end());
  return command;
}

// The arguments as the probe's echo and write give them back.
Arguments given(const std::string& text) {
  Arguments arguments;
  for (std::size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos;
       start = end + 1) {
    arguments.push_back(text.substr(start, end - start));
  }
  return arguments;
}

TEST(ProcessLauncherTest, ArgumentsReachTheProgramExactlyByEveryWayOfStarting) {
  const std::optional<std::string> echoed =
      platform::outputOf(withAwkwardOnes({probe(), "echo"}), 60s);
  ASSERT_TRUE(echoed);
  EXPECT_EQ(given(*echoed), kAwkward);

  const std::optional<std::string> handedOver =
      platform::outputOf(withAwkwardOnes({probe(), "hand-over", probe(), "echo"}), 60s);
  ASSERT_TRUE(handedOver);
  EXPECT_EQ(given(*handedOver), kAwkward);

  // A program whose own path holds blanks and letters beyond ASCII.
  TempTree tree;
  tree.makeFolder("a folder ü");
  const std::string copy = tree.path("a folder ü/launch probe") + kProgramSuffix;
  std::filesystem::copy_file(utf8Path(probe()), utf8Path(copy));
  const std::string written = tree.path("written");
  platform::startDetached(withAwkwardOnes({copy, "write", written}));
  EXPECT_EQ(given(waitForFile(written)), kAwkward);
}

TEST(ProcessLauncherTest, AProgramThatCannotStartFailsWithTheSystemsReason) {
  TempTree tree;
  const std::string missing = tree.path("missing") + kProgramSuffix;
  const auto expectNotStarted = [](const auto& start) {
    try {
      start();
      ADD_FAILURE() << "started";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.code(), failure_code::kPathNotFound);
      EXPECT_FALSE(failure.systemReason().empty());
      EXPECT_EQ(failure.what(), "The program could not be started: " + failure.systemReason());
    }
  };
  expectNotStarted([&] { platform::runInstead(missing, {missing, "x"}); });
  expectNotStarted([&] { platform::startDetached({missing, "x"}, 5s); });
  EXPECT_FALSE(platform::outputOf({missing}, 5s));
}

TEST(ProcessLauncherTest, TheGracePeriodTellsAnEarlyFailureFromAProgramThatRunsOn) {
  const auto failureOf = [](const Arguments& arguments) -> std::string {
    try {
      platform::startDetached(arguments, 60s);
      return "";
    } catch (const Failure& failure) {
      return failure.what();
    }
  };
  // Told as soon as the program ends, not at the end of the grace period.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(failureOf({probe(), "exit", "3"}), "The program ended at once with exit status 3");
  // The status comes back through a hand-over, too.
  EXPECT_EQ(failureOf({probe(), "hand-over", probe(), "exit", "7"}),
            "The program ended at once with exit status 7");
  // Ending at once with success is a program that handed its work to a running copy.
  EXPECT_EQ(failureOf({probe(), "exit", "0"}), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);

  // One that runs on is left running after the grace period, the caller having had turns.
  int turns = 0;
  const auto watched = std::chrono::steady_clock::now();
  platform::startDetached({probe(), "sleep", "3000"}, 300ms, [&] { ++turns; });
  const auto took = std::chrono::steady_clock::now() - watched;
  EXPECT_GE(took, 300ms);
  EXPECT_LT(took, 2500ms);
  EXPECT_GE(turns, 5);
}

TEST(ProcessLauncherTest, TheTimeLimitKillsAProgramThatHangs) {
  TempTree tree;
  const std::string awake = tree.path("awake");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(platform::outputOf({probe(), "sleep", "2500", awake}, 200ms));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2000ms);
  // Killed: it never wakes to make its file.
  std::this_thread::sleep_until(start + 3500ms);
  EXPECT_FALSE(std::filesystem::exists(utf8Path(awake)));

  EXPECT_EQ(platform::outputOf({probe(), "echo", "within"}, 60s), std::string("within\0", 7));
  EXPECT_FALSE(platform::outputOf({probe(), "exit", "1"}, 60s));
}

#ifndef _WIN32
TEST(ProcessLauncherTest, ProgramsStartDetachedWithoutAShellAndFailuresAreReported) {
  TempTree tree;
  const std::string marker = tree.path("marker");
  // Quotes and a semicolon reach the program as they are: no shell reads the arguments.
  platform::startDetached({"/bin/sh", "-c", "printf '%s' \"$1\" > \"$0\"", marker, "a'b; touch x"});
  EXPECT_EQ(waitForFile(marker), "a'b; touch x");
  // The middle process is reaped at once and the program is not our child.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);

  tree.makeFile("not-executable");
  EXPECT_THROW(platform::startDetached({tree.path("not-executable")}), Failure);
  EXPECT_THROW(platform::startDetached({tree.path("missing")}), Failure);
  EXPECT_THROW(platform::startDetached({}), Failure);

  EXPECT_EQ(platform::outputOf({"/bin/echo", "a", "b"}, std::chrono::seconds(5)), "a b\n");
  EXPECT_FALSE(platform::outputOf({"/bin/false"}, std::chrono::seconds(5)));
  // A program that hangs is given up on, not waited for.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(platform::outputOf({"/bin/sleep", "10"}, std::chrono::milliseconds(200)));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

#endif

}  // namespace
}  // namespace plovane::test
