// "Plovane.exe FOLDER1 FOLDER2": both folders chosen at once, the comparison once the message
// loop runs.

#include <gtest/gtest.h>

#include "form/start_arguments.h"
#include "list_view_input.h"
#include "temp_tree.h"
#include "win32_form_rig.h"

namespace plovane::test {
namespace {

TEST(StartWithFoldersTest, TwoFoldersStartTheComparisonFromTheLoop) {
  TempTree tree;
  tree.makeFile("one/only in one.txt");
  tree.makeFile("two/only in two.txt");
  Win32FormRig rig;
  rig.form.openWithFolders(tree.path("one"), tree.path("two"));
  EXPECT_EQ(rig.form.listView1().cell(0, 0).view(), tree.path("one\\"));
  EXPECT_EQ(rig.form.listView2().cell(0, 0).view(), tree.path("two\\"));
  EXPECT_EQ(rig.form.listView3().rowCount(), 0u);
  ASSERT_TRUE(pumpUntil([&] { return rig.form.listView3().rowCount() > 0; }));
  EXPECT_FALSE(rig.form.isComparing());
  EXPECT_EQ(std::size_t(itemCount(rig.form.ListView3())), rig.form.listView3().rowCount());
  EXPECT_TRUE(rig.sawNoMessageBox());
}

TEST(StartWithFoldersTest, MissingFolderIsNamedAndNothingStarts) {
  TempTree tree;
  tree.makeFile("two/b.txt");
  const std::string missing = tree.path("not there");
  Win32FormRig rig;
  rig.form.listView1().appendRow("C:\\earlier\\");
  rig.form.openWithFolders(missing, tree.path("two"));
  EXPECT_EQ(rig.form.listView1().rowCount(), 0u);
  EXPECT_EQ(rig.form.listView2().cell(0, 0).view(), tree.path("two\\"));
  ASSERT_EQ(rig.boxes.plains.size(), 1u);
  EXPECT_EQ(rig.boxes.plains[0].text, std::string(kFolderNotFoundMessage) + missing);
  // A file is no folder, nor is the empty name.
  rig.form.openWithFolders(tree.path("two\\b.txt"), "");
  EXPECT_EQ(rig.boxes.plains.size(), 3u);
  EXPECT_EQ(rig.form.listView2().rowCount(), 0u);
  pumpFor(100);
  EXPECT_EQ(rig.form.listView3().rowCount(), 0u);
  EXPECT_TRUE(rig.boxes.exclamations.empty());
}

}  // namespace
}  // namespace plovane::test
