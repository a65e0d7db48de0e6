#include "form/samples_and_help.h"

#include <gtest/gtest.h>

#include <string>

#include "common/error_report.h"
#include "common/maker.h"
#include "common/result_list.h"
#include "common/settings_store.h"
#include "recording_host.h"
#include "temp_tree.h"

namespace plovane::test {
namespace {

// A program folder with no "Samples" below it: the load must not care.
class LoadSampleFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    programFolder = tree.root();
    programFolder.pop_back();
    sample1 = programFolder + nativePath("/Samples/Folder1/");
    sample2 = programFolder + nativePath("/Samples/Folder2/");
  }

  TempTree tree;
  std::string programFolder;
  std::string sample1;
  std::string sample2;
  RecordingHost host;
  ResultList listView1;
  ResultList listView2;
};

TEST_F(LoadSampleFoldersTest, ReplacesBothFoldersAndStoresThemEvenWhenTheyAreMissing) {
  listView1.appendRow("/old1/");
  listView2.appendRow("/old2/");

  loadSampleFolders(listView1, listView2, host, programFolder);

  ASSERT_EQ(listView1.rowCount(), 1u);
  EXPECT_EQ(listView1.cell(0, 0).view(), sample1);
  ASSERT_EQ(listView2.rowCount(), 1u);
  EXPECT_EQ(listView2.cell(0, 0).view(), sample2);
  EXPECT_EQ(host.store.read("ListView1", ""), sample1);
  EXPECT_EQ(host.store.read("ListView2", ""), sample2);
  EXPECT_FALSE(host.store.contains("LastFolderDot"));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(host.errorReports.empty());
}

TEST_F(LoadSampleFoldersTest, LoadingTwiceLeavesOneRowEach) {
  loadSampleFolders(listView1, listView2, host, programFolder);
  loadSampleFolders(listView1, listView2, host, programFolder);

  ASSERT_EQ(listView1.rowCount(), 1u);
  ASSERT_EQ(listView2.rowCount(), 1u);
  EXPECT_EQ(listView1.cell(0, 0).view(), sample1);
  EXPECT_EQ(listView2.cell(0, 0).view(), sample2);
}

TEST_F(LoadSampleFoldersTest, WhileBusyFolder1KeepsItsOldRowFirst) {
  listView1.appendRow("/old1/");
  listView2.appendRow("/old2/");
  host.busy = true;

  loadSampleFolders(listView1, listView2, host, programFolder);

  ASSERT_EQ(listView1.rowCount(), 2u);
  EXPECT_EQ(listView1.cell(0, 0).view(), "/old1/");
  EXPECT_EQ(listView1.cell(1, 0).view(), sample1);
  ASSERT_EQ(listView2.rowCount(), 1u);
  EXPECT_EQ(listView2.cell(0, 0).view(), sample2);
  EXPECT_EQ(host.store.read("ListView1", ""), sample1);
  EXPECT_EQ(host.store.read("ListView2", ""), sample2);
  // The load neither sets nor clears the hourglass of the operation that owns it.
  EXPECT_TRUE(host.busy);
}

TEST(LoadSampleFoldersFailureTest, FailedWritesAreReportedAndBothListsAreStillFilled) {
  RecordingHost host;
  host.store.readOnly = true;
  ResultList listView1, listView2;

  loadSampleFolders(listView1, listView2, host, "/opt/plovane");

  EXPECT_EQ(listView1.rowCount(), 1u);
  ASSERT_EQ(listView2.rowCount(), 1u);
  EXPECT_EQ(listView2.cell(0, 0).view(), "/opt/plovane" + nativePath("/Samples/Folder2/"));
  const std::string label = "in Plovane2021/08/31.Form1.PushButton9_Click ";
  ASSERT_EQ(host.errorReports.size(), 2u);
  EXPECT_EQ(host.errorReports[0], composeErrorReport("Permission denied", label, 108));
  EXPECT_EQ(host.errorReports[1], composeErrorReport("Permission denied", label, 114));
}

TEST(HelpTest, TextIsThreeParagraphsSeparatedByTwoCarriageReturns) {
  const std::string expected =
      "Please follow steps 1 - 4 in order.\r\r"
      "Please make sure you have write access to both folders before pressing the 'Sync' button "
      "otherwise synchronization will not work because files can not be copied (written).\r\r"
      "Questions? Please contact Team Kestrune at " +
      std::string(maker::kContactFormUrl);
  EXPECT_EQ(helpText(), expected);
}

TEST(HelpTest, ShowHelpShowsTheTextAsOnePlainMessage) {
  RecordingHost host;
  showHelp(host);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0], helpText());
  EXPECT_TRUE(host.errorReports.empty());
}

}  // namespace
}  // namespace plovane::test
