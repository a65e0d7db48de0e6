// Files written in full or not at all: the target changes only at the commit, nothing is left
// behind otherwise, and two paths to one file are told apart from two files.

#include "platform/output_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/failure.h"
#include "temp_tree.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace plovane::test {
namespace {

std::string contentsOf(const std::string& path) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(folder))) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

void write(platform::ReplacingFile& file, const std::string& text) {
  ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), file.stream()), text.size());
}

TEST(ReplacingFileTest, TheTargetChangesOnlyWhenCommittedAndNothingElseStays) {
  TempTree tree;
  tree.makeFile("out/report.txt", 0, "last night's report");
  const std::string target = tree.path("out/report.txt");
  {
    platform::ReplacingFile file(target);
    write(file, "half a rep");
    // Written beside the target under a name the comparison leaves out.
    EXPECT_EQ(std::filesystem::u8path(file.temporaryPath()).parent_path(),
              std::filesystem::u8path(target).parent_path());
    EXPECT_EQ(std::filesystem::u8path(file.temporaryPath()).filename().string().front(), '~');
    EXPECT_EQ(contentsOf(target), "last night's report");
  }  // never committed
  EXPECT_EQ(namesIn(tree.path("out")), std::vector<std::string>{"report.txt"});
  EXPECT_EQ(contentsOf(target), "last night's report");

  platform::ReplacingFile discarded(target);
  write(discarded, "x");
  discarded.discard();
  EXPECT_EQ(namesIn(tree.path("out")), std::vector<std::string>{"report.txt"});

  platform::ReplacingFile replacing(target);
  write(replacing, "tonight's report");
  replacing.commit();
  EXPECT_EQ(contentsOf(target), "tonight's report");
  EXPECT_EQ(namesIn(tree.path("out")), std::vector<std::string>{"report.txt"});

  platform::ReplacingFile fresh(tree.path("out/new.txt"));
  write(fresh, "new");
  fresh.commit();
  EXPECT_EQ(contentsOf(tree.path("out/new.txt")), "new");

  // A folder that cannot take the file, or a target that is a folder: refused at once,
  // nothing made.
  for (const std::string& bad : {tree.path("missing/report.txt"), tree.path("out")}) {
    EXPECT_THROW(platform::checkCanReplace(bad), Failure) << bad;
  }
  EXPECT_NO_THROW(platform::checkCanReplace(target));
  EXPECT_EQ(namesIn(tree.path("out")).size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(tree.path("missing"))));
}

TEST(ReplacingFileTest, SameFileByIdentityOrByFolderAndName) {
  TempTree tree;
  tree.makeFile("a/r.txt");
  tree.makeFolder("b");
  const std::string r = tree.path("a/r.txt");
  EXPECT_TRUE(platform::isSameFile(r, tree.path("a/../a/r.txt")));
  EXPECT_TRUE(platform::isSameFile(tree.path("a/new.txt"), tree.path("b/../a/new.txt")));
  EXPECT_FALSE(platform::isSameFile(r, tree.path("b/r.txt")));
  EXPECT_FALSE(platform::isSameFile(tree.path("a/x.txt"), tree.path("a/y.txt")));
  EXPECT_FALSE(platform::isSameFile(tree.path("a/new.txt"), tree.path("b/new.txt")));
#ifdef _WIN32
  EXPECT_TRUE(platform::isSameFile(tree.path("a/New.txt"), tree.path("a/NEW.TXT")));
#else
  ASSERT_EQ(link(r.c_str(), tree.path("b/hard.txt").c_str()), 0);
  EXPECT_TRUE(platform::isSameFile(r, tree.path("b/hard.txt")));
#endif
}

#ifndef _WIN32
TEST(ReplacingFileTest, KeepsPermissionsWritesThroughLinksAndNeverReplacesADevice) {
  TempTree tree;
  tree.makeFile("kept.txt", 0, "old");
  const std::string kept = tree.path("kept.txt");
  ASSERT_EQ(chmod(kept.c_str(), 0640), 0);
  platform::ReplacingFile replacing(kept);
  write(replacing, "new");
  replacing.commit();
  struct stat status {};
  ASSERT_EQ(stat(kept.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);

  // A new file gets the mode creating it by name gives, not the temporary file's 0600.
  const mode_t mask = umask(022);
  platform::ReplacingFile fresh(tree.path("fresh.txt"));
  fresh.commit();
  umask(mask);
  ASSERT_EQ(stat(tree.path("fresh.txt").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0644u);

  // Through a link the file it leads to is replaced; the link stays a link.
  tree.makeLink("link.txt", "kept.txt");
  platform::ReplacingFile throughLink(tree.path("link.txt"));
  write(throughLink, "via link");
  throughLink.commit();
  EXPECT_EQ(contentsOf(kept), "via link");
  EXPECT_TRUE(std::filesystem::is_symlink(tree.path("link.txt")));

  // A device is written, never replaced by a regular file.
  platform::ReplacingFile device("/dev/null");
  write(device, "gone");
  device.commit();
  ASSERT_EQ(stat("/dev/null", &status), 0);
  EXPECT_TRUE(S_ISCHR(status.st_mode));
}

TEST(ReplacingFileTest, ASignalThatEndsTheProgramLeavesNoTemporaryFile) {
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
    TempTree tree;
    tree.makeFile("report.txt", 0, "old");
    const pid_t child = fork();
    if (child == 0) {
      platform::ReplacingFile file(tree.path("report.txt"));
      std::fputs("partial", file.stream());
      std::fflush(file.stream());
      raise(signalNumber);
      _exit(0);  // not reached: the signal ends the program as it would have
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << signalNumber;
    EXPECT_EQ(namesIn(tree.root()), std::vector<std::string>{"report.txt"}) << signalNumber;
    EXPECT_EQ(contentsOf(tree.path("report.txt")), "old");
  }
}
#endif

}  // namespace
}  // namespace plovane::test
