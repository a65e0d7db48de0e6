// The virtual list views over the result lists: the rows the controls learn of, the texts
// they read, and their columns.

#include <gtest/gtest.h>

#include <string>

#include "list_view_input.h"
#include "platform/win32/wide_text.h"
#include "win32_form_rig.h"
#include "window/form1_layout.h"

namespace plovane::test {
namespace {

using platform::win32::toWide;

LRESULT CALLBACK countItemCountChanges(HWND view, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR counter) {
  if (message == LVM_SETITEMCOUNT) ++*reinterpret_cast<int*>(counter);
  return DefSubclassProc(view, message, wParam, lParam);
}

TEST(ResultListViewTest, AppendedRowsReachTheControlInBatches) {
  Win32FormRig rig;
  ResultList& list = rig.form.listView3();
  const HWND view = rig.form.ListView3();
  for (int row = 0; row < 3; ++row) list.appendRow("r", "", "");
  EXPECT_EQ(itemCount(view), 0);
  EXPECT_TRUE(pumpUntil([&] { return itemCount(view) == 3; }));

  int changes = 0;
  SetWindowSubclass(view, countItemCountChanges, 1, reinterpret_cast<DWORD_PTR>(&changes));
  constexpr int kRows = 250'000;
  const ULONGLONG started = GetTickCount64();
  for (int row = 0; row < kRows; ++row) {
    list.appendRow("a\\b.txt", "is newer than", "c\\b.txt");
    if (row % 100 == 0) rig.form.host().pumpMessages();
  }
  const auto elapsedMs = static_cast<int>(GetTickCount64() - started);
  EXPECT_LE(changes, 5 + elapsedMs / 100) << "in " << elapsedMs << " ms";
  // The rows appended since the last turn of the pump wait for the next batch.
  EXPECT_LT(itemCount(view), kRows + 3);
  rig.form.flushPendingRows();
  EXPECT_EQ(itemCount(view), kRows + 3);
  EXPECT_EQ(itemText(view, kRows + 2, 2), L"c\\b.txt");
  RemoveWindowSubclass(view, countItemCountChanges, 1);
}

TEST(ResultListViewTest, CellsReadBackAsUtf16) {
  Win32FormRig rig;
  const std::string unicode = "Größe 日本 😀";
  std::string longPath = "C:\\";
  while (longPath.size() <= 300) longPath += "a folder with a long name\\";
  rig.form.listView3().appendRow(unicode, "is newer than", longPath);
  rig.form.flushPendingRows();
  EXPECT_EQ(itemText(rig.form.ListView3(), 0, 0), toWide(unicode));
  EXPECT_EQ(itemText(rig.form.ListView3(), 0, 1), L"is newer than");
  EXPECT_EQ(itemText(rig.form.ListView3(), 0, 2), toWide(longPath));
}

TEST(ResultListViewTest, RemovalAndClearKeepTheCountEqualToTheList) {
  Win32FormRig rig;
  ResultList& list = rig.form.listView3();
  const HWND view = rig.form.ListView3();
  for (const char* name : {"a", "b", "c"}) list.appendRow(name, "", "");
  rig.form.flushPendingRows();
  list.removeRow(1);
  EXPECT_EQ(itemCount(view), 2);
  EXPECT_EQ(itemText(view, 1, 0), L"c");
  // Rows still waiting for their batch are counted before one is removed.
  list.appendRow("d", "", "");
  list.removeRow(0);
  EXPECT_EQ(itemCount(view), 2);
  EXPECT_EQ(itemText(view, 1, 0), L"d");
  // A clear drops the waiting batch too.
  list.appendRow("e", "", "");
  list.clear();
  pumpFor(100);
  EXPECT_EQ(itemCount(view), 0);
}

TEST(ResultListViewTest, ColumnsFollowTheListScaledToTheDpi) {
  Win32FormRig rig;
  const auto dpi = static_cast<int>(GetDpiForWindow(rig.form.handle()));
  const auto expectColumnsOf = [&](ResultList& list, HWND view) {
    ASSERT_EQ(Header_GetItemCount(ListView_GetHeader(view)), static_cast<int>(list.columnCount()));
    for (int column = 0; column < static_cast<int>(list.columnCount()); ++column) {
      const ResultList::Column& expected = list.column(static_cast<std::size_t>(column));
      wchar_t caption[64] = {};
      LVCOLUMNW shown{};
      shown.mask = LVCF_TEXT | LVCF_WIDTH;
      shown.pszText = caption;
      shown.cchTextMax = 64;
      ListView_GetColumn(view, column, &shown);
      EXPECT_EQ(shown.cx, MulDiv(form1_layout::pixels(expected.widthTwips), dpi, 96));
      EXPECT_EQ(caption, toWide(expected.header));
    }
  };
  expectColumnsOf(rig.form.listView3(), rig.form.ListView3());
  rig.form.listView3().setColumnWidth(1, 3000);
  rig.form.listView2().addColumn("Added", 900);
  expectColumnsOf(rig.form.listView3(), rig.form.ListView3());
  expectColumnsOf(rig.form.listView2(), rig.form.ListView2());
}

}  // namespace
}  // namespace plovane::test
