// A real FAT volume, mounted through FUSE: POSIX only.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/result_list.h"
#include "form/comparison_run.h"
#include "platform/file_system.h"
#include "recording_host.h"
#include "temp_tree.h"

namespace plovane::test {
namespace {

constexpr std::int64_t kDay = 1'630'368'000;  // 31 August 2021, 00:00:00 UTC

bool runs(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string inQuotes(const std::string& path) {
  return "'" + path + "'";
}

// A fresh FAT image mounted with fusefat on a folder, unmounted again at the end whatever
// happened. Where this machine cannot mount one, says why in skipReason.
class FatVolume {
 public:
  FatVolume(const std::string& image, const std::string& mountPoint) : mountPoint_(mountPoint) {
    if (access("/dev/fuse", R_OK | W_OK) != 0) {
      skipReason_ = "/dev/fuse is missing or not open to this user";
    } else if (!runs("command -v mkfs.vfat") || !runs("command -v fusefat")) {
      skipReason_ = "mkfs.vfat (dosfstools) or fusefat is not installed";
    } else if (!runs("mkfs.vfat -C " + inQuotes(image) + " 2048")) {
      skipReason_ = "mkfs.vfat could not make an image";
    } else if (!runs("fusefat -o rw+ " + inQuotes(image) + " " + inQuotes(mountPoint))) {
      skipReason_ = "fusefat could not mount the image";
    } else {
      mounted_ = true;
    }
  }
  ~FatVolume() {
    if (mounted_) {
      runs("fusermount -u " + inQuotes(mountPoint_) + " || umount -l " + inQuotes(mountPoint_));
    }
  }
  FatVolume(const FatVolume&) = delete;
  FatVolume& operator=(const FatVolume&) = delete;

  const std::string& skipReason() const { return skipReason_; }

 private:
  std::string mountPoint_;
  std::string skipReason_;
  bool mounted_ = false;
};

std::vector<std::string> overwriteRowsOf(const ResultList& list) {
  std::vector<std::string> rows;
  for (std::size_t r = 0; r < list.rowCount(); ++r) {
    if (list.cell(r, 1).str() == " will overwrite an older") rows.push_back(list.cell(r, 0).str());
  }
  return rows;
}

// Files with odd-second times, copied onto FAT, come back an even second off: the copy is
// not newer or older than its original. A copy 4 seconds off still is.
TEST(FatVolumeTest, CopyOntoFatMatchesItsOriginalWhileFourSecondsStillDiffer) {
  TempTree tree;
  for (int k = 0; k < 5; ++k) tree.makeFile("src/f" + std::to_string(k) + ".txt", kDay + 2 * k + 1);
  tree.makeFile("src/sub/g.txt", kDay + 13);
  tree.makeFile("src/later.txt", kDay + 22);
  tree.makeFolder("fat");
  const FatVolume volume(tree.path("fat.img"), tree.path("fat"));
  if (!volume.skipReason().empty()) GTEST_SKIP() << volume.skipReason();
  // Files and sub-folders one by one: fusefat fails to set the time of its root folder.
  ASSERT_TRUE(runs("cd " + inQuotes(tree.path("src")) + " && cp -r --preserve=timestamps -- * " +
                   inQuotes(tree.path("fat"))));
  tree.setTime("fat/later.txt", kDay + 26);

  const platform::FileSystem& fs = platform::nativeFileSystem();
  ASSERT_NE(fs.lastWriteTime(tree.path("fat/f0.txt")), fs.lastWriteTime(tree.path("src/f0.txt")));
  EXPECT_TRUE(fs.hasTwoSecondTimes(tree.path("fat/")));
  EXPECT_TRUE(fs.hasTwoSecondTimes(tree.path("fat/sub")));
  EXPECT_FALSE(fs.hasTwoSecondTimes(tree.path("src/")));
  EXPECT_FALSE(fs.hasTwoSecondTimes(tree.path("missing/")));

  ResultList listView1, listView2, listView3;
  listView1.appendRow(tree.path("src/"));
  listView2.appendRow(tree.path("fat/"));
  RecordingHost host;
  ComparisonRun run(fs);
  run.start(listView1, listView2, listView3, host);
  EXPECT_EQ(overwriteRowsOf(listView3), std::vector<std::string>{tree.path("fat/later.txt")});
  EXPECT_TRUE(host.errorReports.empty());
  // The exact rule, asked for, still sees the odd seconds.
  run.setModifyWindow(0);
  run.start(listView1, listView2, listView3, host);
  EXPECT_EQ(overwriteRowsOf(listView3).size(), 1u + 6u);
}

// A FUSE mount answers through a program, as a share answers over the network: its trees
// are read by a share's threads.
TEST(FatVolumeTest, AFuseMountCountsAsRemoteAndALocalFolderDoesNot) {
  TempTree tree;
  tree.makeFolder("fat");
  tree.makeFolder("local");
  const FatVolume volume(tree.path("fat.img"), tree.path("fat"));
  if (!volume.skipReason().empty()) GTEST_SKIP() << volume.skipReason();
  const platform::FileSystem& fs = platform::nativeFileSystem();
  EXPECT_TRUE(fs.isRemote(tree.path("fat/")));
  EXPECT_FALSE(fs.isRemote(tree.path("local/")));
  EXPECT_FALSE(fs.isRemote(tree.path("missing/")));
}

}  // namespace
}  // namespace plovane::test

#endif  // _WIN32
