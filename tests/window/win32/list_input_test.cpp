// Mouse and keys on the lists: the check boxes of ListView3, whose state lives in the result
// list; Delete and a double-click, which remove a folder row; typing, which finds a row.

#include <gtest/gtest.h>

#include "list_view_input.h"
#include "win32_form_rig.h"

namespace plovane::test {
namespace {

constexpr unsigned kUnticked = 1;
constexpr unsigned kTicked = 2;

// Selected only: Wine scrolls a row that gets the focus into view, where Windows does not.
void select(HWND view, int row) {
  ListView_SetItemState(view, row, LVIS_SELECTED, LVIS_SELECTED);
}

TEST(ListInputTest, StateIconClickAndSpaceToggleTheRowInTheList) {
  Win32FormRig rig;
  ResultList& list = rig.form.listView3();
  const HWND view = rig.form.ListView3();
  for (const char* name : {"a", "b", "c", "d"}) list.appendRow(name, "is newer than", name);
  rig.form.flushPendingRows();
  list.setCheckedRange(2, 3, true);
  EXPECT_EQ(stateImage(view, 0), kUnticked);
  EXPECT_EQ(stateImage(view, 3), kTicked);
  list.setCheckedRange(2, 3, false);
  const POINT box = checkBoxPoint(view, 1);
  ASSERT_GE(box.x, 0) << "row 1 shows no check box";
  click(view, box);
  EXPECT_TRUE(list.isChecked(1));
  EXPECT_EQ(list.selectedRow(), std::optional<std::size_t>(1));
  EXPECT_EQ(focusedRow(view), 1);
  EXPECT_EQ(stateImage(view, 1), kTicked);
  click(view, box);
  EXPECT_FALSE(list.isChecked(1));
  EXPECT_EQ(stateImage(view, 1), kUnticked);
  // Elsewhere on the row a click selects it and leaves its box alone.
  click(view, cellPoint(view, 2, 1));
  EXPECT_EQ(list.selectedRow(), std::optional<std::size_t>(2));
  EXPECT_FALSE(list.isChecked(2));
  pressKey(view, VK_SPACE);
  EXPECT_TRUE(list.isChecked(2));
  pressKey(view, VK_SPACE);
  EXPECT_FALSE(list.isChecked(2) || list.isChecked(3) || list.isChecked(1));
  EXPECT_EQ(ListView_GetExtendedListViewStyle(rig.form.ListView1()) & LVS_EX_CHECKBOXES, 0u);
  EXPECT_TRUE(rig.sawNoMessageBox());
}

TEST(ListInputTest, DeleteKeyAndDoubleClickRemoveAFolderRowOnly) {
  Win32FormRig rig;
  rig.form.listView1().appendRow("C:\\one\\");
  rig.form.listView2().appendRow("C:\\two\\");
  rig.form.listView2().appendRow("C:\\three\\");
  for (const char* name : {"a", "b"}) rig.form.listView3().appendRow(name, "is newer than", name);
  rig.form.flushPendingRows();
  pressKey(rig.form.ListView1(), VK_DELETE);  // nothing selected
  EXPECT_EQ(rig.form.listView1().rowCount(), 1u);
  select(rig.form.ListView1(), 0);
  pressKey(rig.form.ListView1(), VK_DELETE);
  EXPECT_EQ(rig.form.listView1().rowCount(), 0u);
  EXPECT_EQ(itemCount(rig.form.ListView1()), 0);
  // The first click selects the row under the mouse, the second removes it.
  select(rig.form.ListView2(), 1);
  doubleClick(rig.form.ListView2(), cellPoint(rig.form.ListView2(), 0, 0));
  ASSERT_EQ(rig.form.listView2().rowCount(), 1u);
  EXPECT_EQ(rig.form.listView2().cell(0, 0).view(), "C:\\three\\");
  EXPECT_EQ(itemCount(rig.form.ListView2()), 1);

  const HWND results = rig.form.ListView3();
  select(results, 0);
  pressKey(results, VK_DELETE);
  doubleClick(results, cellPoint(results, 1, 1));
  EXPECT_EQ(rig.form.listView3().rowCount(), 2u);
  EXPECT_EQ(itemCount(results), 2);
  EXPECT_EQ(rig.form.listView3().selectedRow(), std::optional<std::size_t>(1));
  EXPECT_TRUE(rig.sawNoMessageBox());
}

// The control holds no texts: it asks its owner for the row that the typed text begins.
TEST(ListInputTest, TypedTextSelectsTheNextRowStartingWithIt) {
  Win32FormRig rig;
  for (const char* name : {"apple", "banana", "Cherry", "cola"}) {
    rig.form.listView3().appendRow(name, "", "");
    rig.form.listView1().appendRow(name[0] == 'C' ? "Übung" : "über");
  }
  rig.form.flushPendingRows();
  const auto type = [&](HWND view, wchar_t character) {
    if (focusedRow(view) < 0) ListView_SetItemState(view, 1, LVIS_FOCUSED, LVIS_FOCUSED);
    SendMessageW(view, WM_CHAR, character, 1);
    return ListView_GetNextItem(view, -1, LVNI_SELECTED);
  };
  EXPECT_EQ(type(rig.form.ListView3(), L'c'), 2);
  EXPECT_EQ(rig.form.listView3().selectedRow(), std::optional<std::size_t>(2));
  EXPECT_EQ(type(rig.form.ListView3(), L'o'), 3);
  EXPECT_EQ(type(rig.form.ListView3(), L'x'), 3);  // "cox" is nowhere
  EXPECT_EQ(type(rig.form.ListView1(), L'ü'), 2);  // Übung, the next after the focused row
}

}  // namespace
}  // namespace plovane::test
