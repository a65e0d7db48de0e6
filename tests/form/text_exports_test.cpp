#include "form/text_exports.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/result_list.h"
#include "recording_clipboard.h"
#include "recording_host.h"
#include "reported_steps.h"
#include "scripted_save_file_dialog.h"
#include "temp_tree.h"

namespace plovane::test {
namespace {

void fill(ResultList& list, std::size_t rows) {
  list.addColumn("Newer");
  list.addColumn("");
  list.addColumn("Older");
  for (std::size_t row = 0; row < rows; ++row) {
    list.setChecked(list.appendRow("/a/f" + std::to_string(row), " is newer than", "/b/"), true);
  }
}

TEST(SaveResultsAsTextFileTest, WritesTheChosenFileWhileBusyAfterSettingUpTheDialog) {
  TempTree tree;
  RecordingHost host;
  ResultList list;
  fill(list, 2);
  ScriptedSaveFileDialog dialog;
  dialog.answers = {tree.path("results")};
  std::vector<bool> busyWhileWriting;
  host.onYield = [&] { busyWhileWriting.push_back(host.busy); };

  saveResultsAsTextFile(list, host, dialog);

  EXPECT_EQ(dialog.flags, 0x280201);
  EXPECT_EQ(dialog.title, "Save");
  EXPECT_EQ(dialog.filter, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
  std::ifstream written(tree.path("results"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}),
            "Newer\t              \tOlder\t\r\n"
            "/a/f0\t is newer than\t/b/  \t\r\n"
            "/a/f1\t is newer than\t/b/  \t\r\n");
  ASSERT_FALSE(busyWhileWriting.empty());
  EXPECT_EQ(busyWhileWriting, std::vector<bool>(busyWhileWriting.size(), true));
  EXPECT_FALSE(host.busy);
  EXPECT_TRUE(host.errorReports.empty());
  EXPECT_TRUE(host.messages.empty());
}

TEST(SaveResultsAsTextFileTest, EachSideReportsItsOwnFailuresAndACancelWritesNothing) {
  TempTree tree;
  ResultList list;
  fill(list, 3);
  const std::string button = "Form1.PushButton6_Click";
  const std::string writer = "Main.SaveListviewProperlySpacedWithoutProgressBar";

  RecordingHost cancelHost;
  ScriptedSaveFileDialog cancelled;
  saveResultsAsTextFile(list, cancelHost, cancelled);
  EXPECT_EQ(cancelHost.yields, 0);
  EXPECT_TRUE(cancelHost.errorReports.empty());

  // A dialog that fails to show leaves the name empty: reported, then nothing is written.
  RecordingHost dialogHost;
  ScriptedSaveFileDialog failing;
  failing.failShowing = true;
  failing.answers = {tree.path("never")};
  saveResultsAsTextFile(list, dialogHost, failing);
  EXPECT_EQ(reportedSteps(dialogHost), (Steps{{button, 112}}));
  EXPECT_FALSE(std::ifstream(tree.path("never")).good());

  // A file that cannot be created: the writer's label, and the pointer comes back.
  RecordingHost fileHost;
  ScriptedSaveFileDialog unwritable;
  unwritable.answers = {tree.path("missing folder/results.txt")};
  saveResultsAsTextFile(list, fileHost, unwritable);
  EXPECT_EQ(reportedSteps(fileHost),
            (Steps{{writer, 136}, {writer, 150}, {writer, 180}, {writer, 184}}));
  EXPECT_FALSE(fileHost.busy);
}

TEST(CopyResultsToClipboardTest, CopiesWithoutBusyAndReportsAVanishedRowAt106) {
  RecordingHost host;
  ResultList list;
  fill(list, 2);
  RecordingClipboard clipboard;
  std::vector<bool> busyWhileCopying;
  host.onYield = [&] { busyWhileCopying.push_back(host.busy); };

  copyResultsToClipboard(list, host, clipboard);
  EXPECT_EQ(clipboard.text, "/a/f0\t is newer than\t/b/\r\n/a/f1\t is newer than\t/b/\r\n");
  EXPECT_EQ(busyWhileCopying, std::vector<bool>(busyWhileCopying.size(), false));
  EXPECT_TRUE(host.errorReports.empty());

  // "Clear List" during a yield of the copy: one report, the clipboard untouched.
  RecordingClipboard untouched;
  host.onYield = [&] {
    if (host.yields == 3) list.clear();
  };
  host.yields = 0;
  copyResultsToClipboard(list, host, untouched);
  EXPECT_EQ(reportedSteps(host), (Steps{{"Form1.PushButton10_Click", 106}}));
  EXPECT_EQ(untouched.clears, 0);
  EXPECT_FALSE(untouched.text.has_value());
}

}  // namespace
}  // namespace plovane::test
