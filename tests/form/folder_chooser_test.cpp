#include "form/folder_chooser.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "common/error_report.h"
#include "common/result_list.h"
#include "common/settings_store.h"
#include "recording_host.h"
#include "scripted_folder_browser.h"
#include "temp_tree.h"

namespace plovane::test {
namespace {

// A folder as the browser gives it on this system: "/data/Work" is "C:\data\Work" on Windows.
std::string folder(const std::string& posixPath) {
#ifdef _WIN32
  return "C:" + nativePath(posixPath);
#else
  return posixPath;
#endif
}

// The two choose-folder buttons differ in their list, key, label and busy rule; everything
// else must hold for both.
struct Side {
  const char* name;
  void (*choose)(ResultList&, Host&, FolderBrowser&);
  std::string_view key;
  std::string_view label;
  bool keepsRowsWhileBusy;
};

const Side kFolder1{"Folder1", chooseFolder1, "ListView1",
                    "in Plovane2021/08/31.Form1.PushButton3_Click ", true};
const Side kFolder2{"Folder2", chooseFolder2, "ListView2",
                    "in Plovane2021/08/31.Form1.PushButton1_Click ", false};

void PrintTo(const Side& side, std::ostream* out) {
  *out << side.name;
}

class ChooseFolderTest : public ::testing::TestWithParam<Side> {
 protected:
  void choose() { GetParam().choose(list, host, browser); }
  std::string stored(std::string_view key) const { return host.store.read(key, "<absent>"); }

  RecordingHost host;
  ScriptedFolderBrowser browser{&host};
  ResultList list;
};

TEST_P(ChooseFolderTest, ChosenFolderBecomesTheOnlyRowWithSeparatorAndIsStored) {
  list.appendRow(folder("/old/"));
  browser.answers = {folder("/data/Work")};
  choose();

  ASSERT_EQ(list.rowCount(), 1u);
  EXPECT_EQ(list.cell(0, 0).view(), folder("/data/Work/"));
  EXPECT_EQ(stored(GetParam().key), folder("/data/Work/"));
  EXPECT_EQ(stored("LastFolderDot"), folder("/data/Work"));
  // The other side's key is not touched.
  EXPECT_FALSE(host.store.contains(GetParam().key == "ListView1" ? "ListView2" : "ListView1"));

  ASSERT_EQ(browser.calls.size(), 1u);
  EXPECT_EQ(browser.calls[0].prompt, "Please select folder");
  EXPECT_EQ(browser.calls[0].initialFolder, "");
  // The hourglass comes only after the dialog has returned, and goes again at the end.
  EXPECT_FALSE(browser.calls[0].busyDuringDialog);
  EXPECT_FALSE(host.busy);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(host.errorReports.empty());
}

TEST_P(ChooseFolderTest, RootKeepsItsSingleSeparator) {
  browser.answers = {folder("/")};
  choose();

  ASSERT_EQ(list.rowCount(), 1u);
  EXPECT_EQ(list.cell(0, 0).view(), folder("/"));
  EXPECT_EQ(stored(GetParam().key), folder("/"));
  EXPECT_EQ(stored("LastFolderDot"), folder("/"));
}

TEST_P(ChooseFolderTest, CancelLeavesTheListEmptyAndThePreviousSettingInPlace) {
  host.store.write(GetParam().key, folder("/previous/"));
  list.appendRow(folder("/previous/"));
  browser.answers = {""};
  choose();

  EXPECT_EQ(list.rowCount(), 0u);
  EXPECT_EQ(stored(GetParam().key), folder("/previous/"));
  EXPECT_FALSE(host.store.contains("LastFolderDot"));
  EXPECT_FALSE(host.busy);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(host.errorReports.empty());
}

TEST_P(ChooseFolderTest, ChoosingTwiceKeepsOnlyTheSecondChoice) {
  browser.answers = {folder("/data/First"), folder("/data/Second/")};
  choose();
  choose();

  ASSERT_EQ(list.rowCount(), 1u);
  EXPECT_EQ(list.cell(0, 0).view(), folder("/data/Second/"));
  EXPECT_EQ(stored(GetParam().key), folder("/data/Second/"));
  EXPECT_EQ(stored("LastFolderDot"), folder("/data/Second/"));
}

TEST_P(ChooseFolderTest, WhileBusyOnlyFolder1KeepsItsOldRow) {
  list.appendRow(folder("/old/"));
  host.busy = true;
  browser.answers = {folder("/data/New")};
  choose();

  if (GetParam().keepsRowsWhileBusy) {
    ASSERT_EQ(list.rowCount(), 2u);
    EXPECT_EQ(list.cell(0, 0).view(), folder("/old/"));
    EXPECT_EQ(list.cell(1, 0).view(), folder("/data/New/"));
  } else {
    ASSERT_EQ(list.rowCount(), 1u);
    EXPECT_EQ(list.cell(0, 0).view(), folder("/data/New/"));
  }
  // The handler ends by restoring the default pointer, whoever set the hourglass.
  EXPECT_FALSE(host.busy);
}

TEST_P(ChooseFolderTest, CancelWhileBusyLeavesTheHourglassToItsOwner) {
  list.appendRow(folder("/old/"));
  host.busy = true;
  browser.answers = {""};
  choose();

  EXPECT_EQ(list.rowCount(), GetParam().keepsRowsWhileBusy ? 1u : 0u);
  EXPECT_TRUE(host.busy);
}

TEST_P(ChooseFolderTest, BrowserFailureIsReportedAtStep102AndNothingIsStored) {
  list.appendRow(folder("/old/"));
  browser.failure = "Method 'BrowseForFolder' failed";
  choose();

  ASSERT_EQ(host.errorReports.size(), 1u);
  EXPECT_EQ(host.errorReports[0],
            composeErrorReport("Method 'BrowseForFolder' failed", GetParam().label, 102));
  EXPECT_EQ(list.rowCount(), 0u);
  EXPECT_FALSE(host.store.contains(GetParam().key));
  EXPECT_FALSE(host.store.contains("LastFolderDot"));
  EXPECT_FALSE(host.busy);
}

INSTANTIATE_TEST_SUITE_P(BothButtons, ChooseFolderTest, ::testing::Values(kFolder1, kFolder2),
                         [](const auto& test) { return std::string(test.param.name); });

class ChooseFolderFailingStoreTest : public ::testing::TestWithParam<Side> {
 protected:
  void choose() { GetParam().choose(list, host, browser); }

  RecordingHost host;
  ScriptedFolderBrowser browser{&host};
  ResultList list;
};

TEST_P(ChooseFolderFailingStoreTest, EachFailedWriteIsReportedAndTheHandlerStillFinishes) {
  host.store.unwritableKeys = {"LastFolderDot", std::string(GetParam().key)};
  browser.answers = {folder("/data/Work")};
  choose();

  ASSERT_EQ(host.errorReports.size(), 2u);
  EXPECT_EQ(host.errorReports[0], composeErrorReport("Permission denied", GetParam().label, 108));
  EXPECT_EQ(host.errorReports[1], composeErrorReport("Permission denied", GetParam().label, 114));
  ASSERT_EQ(list.rowCount(), 1u);
  EXPECT_EQ(list.cell(0, 0).view(), folder("/data/Work/"));
  EXPECT_FALSE(host.busy);
}

TEST_P(ChooseFolderFailingStoreTest, FailedLastFolderWriteStillStoresTheListSetting) {
  host.store.unwritableKeys = {"LastFolderDot"};
  browser.answers = {folder("/data/Work")};
  choose();

  ASSERT_EQ(host.errorReports.size(), 1u);
  EXPECT_NE(host.errorReports[0].find(std::string(GetParam().label) + "at line 108"),
            std::string::npos);
  EXPECT_EQ(host.store.read(GetParam().key, ""), folder("/data/Work/"));
  EXPECT_FALSE(host.busy);
}

INSTANTIATE_TEST_SUITE_P(BothButtons, ChooseFolderFailingStoreTest,
                         ::testing::Values(kFolder1, kFolder2),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace plovane::test
