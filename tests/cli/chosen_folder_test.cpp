// A folder named on the command line that changes under the run is trouble, not a list of
// differences: the rows would tell of a tree that was not there.

#include "cli/chosen_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/failure.h"
#include "faulty_file_system.h"
#include "temp_tree.h"

namespace plovane::test {
namespace {

TEST(ChosenFolderTest, AFolderThatVanishesIsReplacedOrTurnsUnreadableDuringTheRunIsTold) {
  TempTree tree;
  tree.makeFile("B/x.txt");
  tree.makeFile("Other/y.txt");
  FaultyFileSystem fs;
  const std::string folder = tree.path("B/");

  const cli::ChosenFolder steady = cli::watchFolder(fs, "B", folder);
  EXPECT_EQ(cli::changedDuringRun(fs, steady), std::nullopt);

  fs.failListing(tree.path("B"), failure_code::kPermissionDenied);
  const auto unreadable = cli::changedDuringRun(fs, steady);
  ASSERT_TRUE(unreadable.has_value());
  EXPECT_NE(unreadable->find("Permission denied"), std::string::npos) << *unreadable;

  // Another folder in its place, as an unmounted backup leaves its empty mount point.
  const cli::ChosenFolder before = cli::watchFolder(platform::nativeFileSystem(), "B", folder);
  std::filesystem::rename(tree.path("B"), tree.path("B.old"));
  std::filesystem::rename(tree.path("Other"), tree.path("B"));
  const auto replaced = cli::changedDuringRun(platform::nativeFileSystem(), before);
  ASSERT_TRUE(replaced.has_value());
  EXPECT_NE(replaced->find("replaced"), std::string::npos) << *replaced;

  std::filesystem::remove_all(tree.path("B"));
  EXPECT_EQ(cli::changedDuringRun(platform::nativeFileSystem(), before),
            "folder vanished during the run: B");
}

}  // namespace
}  // namespace plovane::test
