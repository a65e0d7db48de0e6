// The real "plovane" command, run as a user runs it: no display, its own process, its exit
// status, and outputs compared byte for byte with the window's own writers for the same rows.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "common/result_list.h"
#include "export/clipboard_text.h"
#include "export/text_report.h"
#include "form/comparison_run.h"
#include "form/form_setup.h"
#include "platform/file_system.h"
#include "recording_host.h"
#include "temp_tree.h"

namespace plovane::test {
namespace {

constexpr std::int64_t kDay = 1'630'368'000;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string contentsOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the command with no display in its environment; standard error is not a terminal.
// As pipeTo: the command starts with its standard output closed.
constexpr std::string_view kClosedOutput = "(closed)";

// The child is started by start() and reaped by finish(); run() does both.
pid_t start(const TempTree& temp, const std::vector<std::string>& arguments,
            const std::string& pipeTo = {}, const std::string& temporaryFolder = {}) {
  const std::string out = temp.path("stdout"), err = temp.path("stderr");
  std::vector<std::string> command = {PLOVANE_CLI_PATH};
  command.insert(command.end(), arguments.begin(), arguments.end());
  const pid_t child = fork();
  if (child == 0) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    if (!temporaryFolder.empty()) setenv("TMPDIR", temporaryFolder.c_str(), 1);
    if (chdir(temp.root().c_str()) != 0) _exit(120);
    dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    if (pipeTo.empty() || pipeTo == kClosedOutput) {
      const int file = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (pipeTo.empty()) dup2(file, 1);
      close(pipeTo.empty() ? file : 1);
      std::vector<char*> argv;
      for (std::string& argument : command) argv.push_back(argument.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(121);
    }
    // Through a pipe to a reader that stops early; the shell answers the command's status.
    std::string line = "'" + command[0] + "'";
    for (std::size_t k = 1; k < command.size(); ++k) line += " '" + command[k] + "'";
    line += " | " + pipeTo + " > /dev/null; echo ${PIPESTATUS[0]}";
    dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    execl("/bin/bash", "bash", "-c", line.c_str(), nullptr);
    _exit(122);
  }
  return child;
}

Outcome finish(const TempTree& temp, pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
          contentsOf(temp.path("stdout")), contentsOf(temp.path("stderr"))};
}

Outcome run(const TempTree& temp, const std::vector<std::string>& arguments,
            const std::string& pipeTo = {}, const std::string& temporaryFolder = {}) {
  return finish(temp, start(temp, arguments, pipeTo, temporaryFolder));
}

// What the command shows on a terminal, run in the tree's root with the given arguments.
std::string onATerminal(const TempTree& temp, const std::string& arguments) {
  const std::string command = "cd '" + temp.root() + "' && script -qec \"'" +
                              std::string(PLOVANE_CLI_PATH) + "' " + arguments +
                              "\" /dev/null 2>&1";
  std::string shown;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      shown.append(buffer, count);
    pclose(pipe);
  }
  return shown;
}

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class CompareCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.makeFile("A/a.txt", kDay + 3'600);
    tree.makeFile("A/only in A.txt");
    tree.makeFile("A/Sub/\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82.txt");
    tree.makeFile("A/bad\xff\xfe.bin");
    tree.makeFile("A/tab\there.txt", kDay);
    tree.makeFile("B/a.txt", kDay);
    tree.makeFile("B/tab\there.txt", kDay + 60);
    tree.makeFile("B/Deep/er/new\nline.txt");
    tree.makeFolder("Empty1");
    tree.makeFolder("Empty2");
  }

  // The rows the window's own run gives for the two folders, as the window names them.
  void compareInProcess(const std::string& folder1, const std::string& folder2) {
    addResultColumns(listView3);
    listView1.appendRow(SharedText(folder1));
    listView2.appendRow(SharedText(folder2));
    ComparisonRun(platform::nativeFileSystem()).start(listView1, listView2, listView3, host);
    ASSERT_GT(listView3.rowCount(), 4u);
  }

  TempTree tree;
  RecordingHost host;
  ResultList listView1, listView2, listView3;
};

TEST_F(CompareCommandTest, EveryOutputHoldsTheWindowsRowsAsItsWritersWriteThem) {
  compareInProcess(tree.path("A/"), tree.path("B/"));
  std::string tsv;
  for (std::size_t row = 0; row < listView3.rowCount(); ++row) {
    tsv += listView3.cell(row, 0).str() + '\t' + listView3.cell(row, 1).str() + '\t' +
           listView3.cell(row, 2).str() + '\n';
  }
  SaveListviewProperlySpacedWithoutProgressBar(listView3, tree.path("window.txt"), host);
  const std::string report = contentsOf(tree.path("window.txt"));
  ASSERT_EQ(report.substr(0, 5), "Newer");

  // Relative, absolute, with and without the final separator: the same rows.
  const Outcome aligned = run(tree, {"compare", "A", tree.path("B")});
  EXPECT_EQ(aligned.status, 1) << aligned.err;
  EXPECT_EQ(aligned.out, clipboardText(listView3, host, "\n"));
  EXPECT_EQ(aligned.err, "");

  const Outcome tabbed = run(tree, {"compare", "--tsv", "./A/", "B/"});
  EXPECT_EQ(tabbed.status, 1) << tabbed.err;
  EXPECT_EQ(tabbed.out, tsv);

  // Several outputs at once, a report to a file and one to standard output.
  const Outcome several = run(tree, {"compare", "--quiet", "--text", "cli.txt", "--text", "-",
                                     "--xlsx", "cli.xlsx", "A", "B"});
  EXPECT_EQ(several.status, 1) << several.err;
  EXPECT_EQ(contentsOf(tree.path("cli.txt")), report);
  EXPECT_EQ(several.out, report);
  EXPECT_EQ(contentsOf(tree.path("cli.xlsx")).substr(0, 2), "PK");  // a zip package
}

TEST_F(CompareCommandTest, ExitStatusIsZeroOneOrTwoAsForDiffAndTroubleIsToldOnOneLine) {
  EXPECT_EQ(run(tree, {"compare", "Empty1", "Empty2"}).status, 0);
  EXPECT_EQ(run(tree, {"compare", "A", "A/"}).status, 0);  // a folder with itself
  const Outcome inside = run(tree, {"compare", "--tsv", "A", "A/Sub"});
  EXPECT_EQ(inside.status, 1);

  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"compare", "--frobnicate", "A", "B"},
        {"compare", "A"},
        {"compare", "", "B"},
        {"compare", "A", "Missing"},
        {"compare", "--modify-window", "-1", "A", "B"},
        {"compare", "--text"}}) {
    const Outcome outcome = run(tree, bad);
    EXPECT_EQ(outcome.status, 2) << bad.back();
    EXPECT_NE(outcome.err.find("plovane"), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "");
  }
  EXPECT_NE(run(tree, {"compare", "--frobnicate", "A", "B"}).err.find("Usage: "),
            std::string::npos);

  // An output that cannot be written, or a file named twice: status 2 and one line naming
  // it, before any tree is read, so nothing else is written either.
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--text", "no/such/folder/r.txt"},
        {"--text", "A"},
        {"--text", "r.txt", "--xlsx", "r.txt"},
        {"--text", "r.txt", "--text", "./A/../r.txt"}}) {
    std::vector<std::string> arguments = {"compare", "--tsv"};
    arguments.insert(arguments.end(), bad.begin(), bad.end());
    arguments.insert(arguments.end(), {"A", "B"});
    const Outcome unwritable = run(tree, arguments);
    EXPECT_EQ(unwritable.status, 2) << bad[1];
    EXPECT_NE(unwritable.err.find(bad[1]), std::string::npos) << unwritable.err;
    EXPECT_EQ(std::count(unwritable.err.begin(), unwritable.err.end(), '\n'), 1) << unwritable.err;
    EXPECT_EQ(unwritable.out, "");
    EXPECT_FALSE(std::filesystem::exists(tree.path("r.txt")));
  }

  // A full disk or a closed standard output: one line with the file and the system's
  // reason, no library's own lines.
  for (const std::string option : {"--text", "--xlsx"}) {
    const Outcome full = run(tree, {"compare", option, "/dev/full", "A", "B"});
    EXPECT_EQ(full.status, 2);
    EXPECT_EQ(full.err, "plovane: cannot write /dev/full: No space left on device\n");
    const Outcome closed =
        run(tree, {"compare", option, "-", "A", "B"}, std::string(kClosedOutput));
    EXPECT_EQ(closed.status, 2);
    EXPECT_EQ(closed.err, "plovane: cannot write to standard output: Bad file descriptor\n");
  }

  // The window for times, as rsync's: a.txt is an hour newer in A.
  const auto overwrites = [&](const std::string& window) {
    return run(tree, {"compare", "--tsv", "--modify-window", window, "A", "B"})
               .out.find("a.txt\t will overwrite") != std::string::npos;
  };
  EXPECT_TRUE(overwrites("3599"));
  EXPECT_FALSE(overwrites("3600"));

  const Outcome help = run(tree, {"compare", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Example:"), std::string::npos);
}

TEST_F(CompareCommandTest, NamesCannotDriveATerminalYetKeepTheirBytesInAPipe) {
  const std::string evil = "evil\x1b]0;PWNED\x07\x1b[31mred\rx.txt";
  tree.makeFile("A/" + evil);
  // On a terminal (script(1) gives the command one), every control character is escaped.
  const std::string shown = onATerminal(tree, "compare A B");
  EXPECT_NE(shown.find("evil\\033]0;PWNED\\007\\033[31mred\\015x.txt"), std::string::npos) << shown;
  EXPECT_EQ(shown.find('\x1b'), std::string::npos) << shown;
  // In a pipe the name is written as it is.
  const Outcome piped = run(tree, {"compare", "--tsv", "A", "B"});
  EXPECT_NE(piped.out.find(evil), std::string::npos);
}

TEST_F(CompareCommandTest, AReaderThatStopsEarlyEndsTheCommandQuietly) {
  for (int k = 0; k < 3'000; ++k) tree.makeFile("B/many/file-" + std::to_string(k) + ".txt");
  const Outcome outcome = run(tree, {"compare", "--tsv", "A", "B"}, "head -c 100");
  const int status = std::atoi(outcome.out.c_str());
  // Ended by the pipe's signal (141) or by its own choice (2), never by a crash.
  EXPECT_TRUE(status == 141 || status == 2) << outcome.out;
  EXPECT_EQ(outcome.err, "");
}

TEST_F(CompareCommandTest, AnOutputFileIsCompleteOrAsItWasAndLeavesNothingBehind) {
  for (int k = 0; k < 4'000; ++k) tree.makeFile("B/many/file-" + std::to_string(k) + ".txt");
  // Whenever the run is ended, the report is last night's or a whole new one, and no
  // temporary file is left beside it.
  tree.makeFolder("out");
  const std::string report = tree.path("out/report.txt");
  const std::string lastNight = "last night's report\r\n";
  std::ofstream(report, std::ios::binary) << lastNight;
  const Outcome whole = run(tree, {"compare", "--quiet", "--text", "out/new.txt", "A", "B"});
  ASSERT_EQ(whole.status, 1) << whole.err;
  const std::string complete = contentsOf(tree.path("out/new.txt"));
  std::filesystem::remove(tree.path("out/new.txt"));
  for (const int milliseconds : {0, 5, 20, 60, 150, 400}) {
    const pid_t child = start(tree, {"compare", "--quiet", "--text", "out/report.txt", "A", "B"});
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    kill(child, SIGTERM);
    finish(tree, child);
    const std::string now = contentsOf(report);
    EXPECT_TRUE(now == lastNight || now == complete) << milliseconds << " ms: " << now.size();
    EXPECT_EQ(namesIn(tree.path("out")), std::vector<std::string>{"report.txt"});
  }

  // A report written into a compared folder is not part of its own results.
  tree.makeFile("Same1/x.txt", kDay);
  tree.makeFile("Same2/x.txt", kDay);
  const Outcome inside = run(tree, {"compare", "--text", "Same1/report.txt", "Same1", "Same2"});
  EXPECT_EQ(inside.status, 0) << contentsOf(tree.path("Same1/report.txt"));

  // A workbook on standard output leaves nothing in the temporary folder, even when its
  // reader goes away early.
  tree.makeFolder("tmp");
  const Outcome workbook = run(tree, {"compare", "--xlsx", "-", "A", "B"}, {}, tree.path("tmp"));
  EXPECT_EQ(workbook.status, 1) << workbook.err;
  EXPECT_EQ(workbook.out.substr(0, 2), "PK");
  run(tree, {"compare", "--xlsx", "-", "A", "B"}, "head -c 100", tree.path("tmp"));
  EXPECT_EQ(namesIn(tree.path("tmp")), std::vector<std::string>{});
}

}  // namespace
}  // namespace plovane::test
