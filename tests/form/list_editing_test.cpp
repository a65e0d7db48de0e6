#include "form/list_editing.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "common/error_report.h"
#include "common/result_list.h"
#include "common/settings_store.h"
#include "recording_host.h"

namespace plovane::test {
namespace {

void fill(ResultList& list, std::initializer_list<const char*> rows) {
  for (const char* row : rows) list.appendRow(row);
}

std::vector<std::string> rowsOf(const ResultList& list) {
  std::vector<std::string> rows;
  for (std::size_t r = 0; r < list.rowCount(); ++r) rows.push_back(list.cell(r, 0).str());
  return rows;
}

using Rows = std::vector<std::string>;

TEST(RemoveSelectedRowTest, DoubleClickRemovesOnlyTheSelectedRowAndKeepsTheSetting) {
  RecordingHost host;
  host.store.write("ListView1", "/a/");
  ResultList list;
  fill(list, {"/a/", "/b/", "/c/"});
  list.setSelectedRow(1);

  removeSelectedRow(list, host);

  EXPECT_EQ(rowsOf(list), (Rows{"/a/", "/c/"}));
  EXPECT_EQ(host.store.read("ListView1", ""), "/a/");
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(host.errorReports.empty());
}

TEST(RemoveSelectedRowTest, OnlyTheDeleteKeyCodeRemoves) {
  RecordingHost host;
  ResultList list;
  fill(list, {"/a/"});
  list.setSelectedRow(0);

  // Backspace, Insert, the code after Delete, the ASCII DEL character and none at all.
  for (int other : {8, 45, 47, 127, 0}) {
    removeSelectedRowOnKey(other, list, host);
    EXPECT_EQ(list.rowCount(), 1u) << "key code " << other;
  }
  removeSelectedRowOnKey(46, list, host);
  EXPECT_EQ(list.rowCount(), 0u);
}

TEST(RemoveSelectedRowTest, NothingHappensWhileBusyOnAnEmptyListOrWithoutSelection) {
  RecordingHost host;
  ResultList list;
  fill(list, {"/a/", "/b/"});
  list.setSelectedRow(0);

  host.busy = true;
  removeSelectedRow(list, host);
  removeSelectedRowOnKey(kDeleteKeyCode, list, host);
  EXPECT_EQ(rowsOf(list), (Rows{"/a/", "/b/"}));
  host.busy = false;

  list.setSelectedRow(std::nullopt);
  EXPECT_NO_THROW(removeSelectedRow(list, host));
  EXPECT_NO_THROW(removeSelectedRowOnKey(kDeleteKeyCode, list, host));
  EXPECT_EQ(rowsOf(list), (Rows{"/a/", "/b/"}));

  ResultList empty;
  EXPECT_NO_THROW(removeSelectedRow(empty, host));
  EXPECT_NO_THROW(removeSelectedRowOnKey(kDeleteKeyCode, empty, host));
  EXPECT_EQ(empty.rowCount(), 0u);
  EXPECT_TRUE(host.errorReports.empty());
}

TEST(ClearFolderTest, Folder1ListIsKeptWhileBusyButItsSettingIsEmptiedAnyway) {
  RecordingHost host;
  host.store.write("ListView1", "/a/");
  host.store.write("ListView2", "/b/");
  ResultList list;
  fill(list, {"/a/"});

  host.busy = true;
  clearFolder1(list, host);
  EXPECT_EQ(rowsOf(list), (Rows{"/a/"}));
  EXPECT_TRUE(host.store.contains("ListView1"));
  EXPECT_EQ(host.store.read("ListView1", "<absent>"), "");
  EXPECT_EQ(host.store.read("ListView2", ""), "/b/");

  host.busy = false;
  clearFolder1(list, host);
  EXPECT_EQ(list.rowCount(), 0u);
  EXPECT_TRUE(host.errorReports.empty());
}

TEST(ClearFolderTest, Folder2IsEmptiedWithItsSettingEvenWhileBusy) {
  RecordingHost host;
  host.store.write("ListView1", "/a/");
  host.store.write("ListView2", "/b/");
  host.busy = true;
  ResultList list;
  fill(list, {"/b/", "/c/"});

  clearFolder2(list, host);

  EXPECT_EQ(list.rowCount(), 0u);
  EXPECT_TRUE(host.store.contains("ListView2"));
  EXPECT_EQ(host.store.read("ListView2", "<absent>"), "");
  EXPECT_EQ(host.store.read("ListView1", ""), "/a/");
  EXPECT_TRUE(host.busy);
}

TEST(ClearFolderTest, FailedSettingWriteIsReportedUnderEachButtonsOwnLabel) {
  RecordingHost host;
  host.store.readOnly = true;
  ResultList list1, list2;
  fill(list1, {"/a/"});
  fill(list2, {"/b/"});

  clearFolder1(list1, host);
  clearFolder2(list2, host);

  EXPECT_EQ(list1.rowCount(), 0u);
  EXPECT_EQ(list2.rowCount(), 0u);
  ASSERT_EQ(host.errorReports.size(), 2u);
  EXPECT_EQ(host.errorReports[0],
            composeErrorReport("Permission denied", "in Plovane2021/08/31.Form1.PushButton2_Click ",
                               102));
  EXPECT_EQ(host.errorReports[1],
            composeErrorReport("Permission denied", "in Plovane2021/08/31.Form1.PushButton4_Click ",
                               102));
}

TEST(ClearListTest, EmptiesTheResultListEvenWhileBusyAndDoesNothingWhenEmpty) {
  RecordingHost host;
  host.busy = true;
  ResultList list;
  list.appendRow("/a/x.txt", " is newer than", "/b/");
  list.appendRow("/a/y.txt", " will overwrite an older", "/b/y.txt");

  clearList(list, host);
  EXPECT_EQ(list.rowCount(), 0u);
  clearList(list, host);
  EXPECT_EQ(list.rowCount(), 0u);

  EXPECT_FALSE(host.store.contains("ListView1"));
  EXPECT_FALSE(host.store.contains("ListView2"));
  EXPECT_TRUE(host.errorReports.empty());
  EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace plovane::test
