// The real "plovane" command, run as a user runs it: no display, its own process, its exit
// status, and outputs compared byte for byte with the window's own writers for the same rows.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/result_list.h"
#include "compare/comparison_run.h"
#include "export/clipboard_text.h"
#include "export/text_report.h"
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
Outcome run(const TempTree& temp, const std::vector<std::string>& arguments,
            const std::string& pipeTo = {}) {
  const std::string out = temp.path("stdout"), err = temp.path("stderr");
  std::vector<std::string> command = {PLOVANE_CLI_PATH};
  command.insert(command.end(), arguments.begin(), arguments.end());
  const pid_t child = fork();
  if (child == 0) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    if (chdir(temp.root().c_str()) != 0) _exit(120);
    dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    if (pipeTo.empty()) {
      dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
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
  int status = 0;
  waitpid(child, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), contentsOf(out),
          contentsOf(err)};
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
    AddResultColumns(listView3);
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
        {"compare", "--text"}}) {
    const Outcome outcome = run(tree, bad);
    EXPECT_EQ(outcome.status, 2) << bad.back();
    EXPECT_NE(outcome.err.find("plovane"), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "");
  }
  EXPECT_NE(run(tree, {"compare", "--frobnicate", "A", "B"}).err.find("Usage: "),
            std::string::npos);

  // An output that cannot be written: status 2, a line naming it, the other output written.
  const Outcome unwritable =
      run(tree, {"compare", "--text", "no/such/folder/r.txt", "--tsv", "A", "B"});
  EXPECT_EQ(unwritable.status, 2);
  EXPECT_NE(unwritable.err.find("no/such/folder/r.txt"), std::string::npos) << unwritable.err;
  EXPECT_NE(unwritable.out.find("only in A.txt"), std::string::npos);

  const Outcome help = run(tree, {"compare", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Example:"), std::string::npos);
}

TEST_F(CompareCommandTest, AReaderThatStopsEarlyEndsTheCommandQuietly) {
  for (int k = 0; k < 3'000; ++k) tree.makeFile("B/many/file-" + std::to_string(k) + ".txt");
  const Outcome outcome = run(tree, {"compare", "--tsv", "A", "B"}, "head -c 100");
  const int status = std::atoi(outcome.out.c_str());
  // Ended by the pipe's signal (141) or by its own choice (2), never by a crash.
  EXPECT_TRUE(status == 141 || status == 2) << outcome.out;
  EXPECT_EQ(outcome.err, "");
}

}  // namespace
}  // namespace plovane::test
