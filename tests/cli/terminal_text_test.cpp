#include "cli/terminal_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/console_host.h"
#include "common/result_list.h"
#include "export/clipboard_text.h"
#include "recording_host.h"

namespace plovane::cli {
namespace {

using namespace std::string_literals;

TEST(VisibleControls, EscapesWhatATerminalActsOnAndKeepsPrintableText) {
  EXPECT_EQ(visibleControls("evil\x1b]0;PWNED\a\x1b[31mred.txt"),
            R"(evil\033]0;PWNED\007\033[31mred.txt)");
  EXPECT_EQ(visibleControls("a\rb\tc\177d\nNUL\0end"s), R"(a\015b\011c\177d\012NUL\000end)");
  // C1 controls, then bytes that are not UTF-8: lone, truncated, overlong.
  EXPECT_EQ(visibleControls("csi\xc2\x9bx\xc2\x80"), R"(csi\302\233x\302\200)");
  EXPECT_EQ(visibleControls("raw\x9bx\xffy\xe6\x97z\xc0\xaf"), R"(raw\233x\377y\346\227z\300\257)");
  // Long plain runs around the control, as the eight-byte steps see them.
  EXPECT_EQ(visibleControls("/srv/data/folder/\x1b/file.txt"), R"(/srv/data/folder/\033/file.txt)");
  EXPECT_EQ(visibleControls("/srv/data/folder/\x7f/file.txt"), R"(/srv/data/folder/\177/file.txt)");

  for (const std::string plain :
       {"C:\\Data\\report.txt", "caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac.txt",
        "no\302\240break \xf0\x9f\x98\x80 ~!@#$%^&*()", "", "/a/b/c/d/e/f/g/h/i/j"}) {
    EXPECT_FALSE(needsVisibleControls(plain)) << plain;
    EXPECT_EQ(visibleControls(plain), plain);
  }
}

TEST(AlignedForTerminal, AlignsTheEscapedCellsAndLeavesCleanListsAsTheClipboardHasThem) {
  test::RecordingHost host;
  ResultList list;
  for (const char* header : {"Name", "Status", "Other"}) list.addColumn(header);
  list.appendRow("a\x1b[31m", "only in 1", "");
  list.appendRow("\xe6\x97\xa5\\b", "newer", "\xe6\x97\xa5\\b");
  list.appendRow("unchecked\r", "x", "");
  list.setCheckedRange(0, 1, true);
  // The escaped first cell is nine units wide; the unchecked row's thirteen set the width.
  EXPECT_EQ(alignedForTerminal(list, host, "\n"),
            "a\\033[31m    \tonly in 1\t\n"
            "\xe6\x97\xa5\\b          \tnewer    \t\xe6\x97\xa5\\b\n");

  ResultList clean;
  for (const char* header : {"Name", "Status", "Other"}) clean.addColumn(header);
  clean.appendRow("caf\xc3\xa9\\x", "newer", "b");
  clean.appendRow("long name here", "only in 2", "");
  clean.setCheckedRange(0, 1, true);
  EXPECT_EQ(alignedForTerminal(clean, host, "\r\n"), clipboardText(clean, host, "\r\n"));
}

std::string writtenBy(bool errIsTerminal) {
  std::FILE* file = std::tmpfile();
  if (!file) {
    ADD_FAILURE() << "no temporary file";
    return {};
  }
  {
    ConsoleHost host(file, errIsTerminal);
    host.showProgress("scanning a\x1b]0;x\a");
    host.showProgress("b");
    host.showMessage("cannot read \x9b[2J\r\nstep\r\rsend a screenshot");
    host.printLine("bell\a");
  }
  std::string text(std::ftell(file), '\0');
  std::rewind(file);
  text.resize(std::fread(text.data(), 1, text.size(), file));
  std::fclose(file);
  return text;
}

TEST(ConsoleHost, EscapesControlsOnlyWhenTheStreamIsATerminal) {
  // The progress width counts the escaped text: "b" is padded over all of it.
  EXPECT_EQ(writtenBy(true), "\rscanning a\\033]0;x\\007\rb" + std::string(21, ' ') + "\r" +
                                 std::string(22, ' ') +
                                 "\rplovane: cannot read \\233[2J step\nplovane: bell\\007\n");
  EXPECT_EQ(writtenBy(false), "\rscanning a\x1b]0;x\a\rb" + std::string(15, ' ') + "\r" +
                                  std::string(16, ' ') +
                                  "\rplovane: cannot read \x9b[2J step\nplovane: bell\a\n");
}

}  // namespace
}  // namespace plovane::cli
