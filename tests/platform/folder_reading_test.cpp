// Reading a folder in one pass, as the read-ahead does, gives what the separate calls give:
// the same entries in the same order, the same times, the same sub-folder information and
// the same failures, for odd entries and for folders that refuse a look inside.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "common/trap.h"
#include "faulty_file_system.h"
#include "platform/file_system.h"
#include "temp_tree.h"

namespace plovane::test {
namespace {

struct Described {
  std::vector<std::string> files;
  std::vector<std::optional<platform::UnixSeconds>> times;
  std::vector<std::string> subFolders;  // each with its information or its failure
  std::string listingFailure;
  friend bool operator==(const Described&, const Described&) = default;
};

std::string describe(const std::exception_ptr& failure) {
  if (!failure) return {};
  try {
    std::rethrow_exception(failure);
  } catch (...) {
    const auto [description, code] = describeCurrentException();
    return description + " " + std::to_string(code);
  }
}

Described describe(const platform::FolderReading& reading) {
  Described described{reading.files, reading.times, {}, describe(reading.listingFailure)};
  for (const platform::FolderReading::SubFolder& sub : reading.subFolders) {
    std::string text = sub.name + ": " + describe(sub.infoFailure);
    if (sub.info) {
      text += std::to_string(sub.info->attributes) + (sub.info->isRoot ? " root " : " ") +
              std::to_string(sub.info->id.device) + ":" + std::to_string(sub.info->id.inode);
    }
    described.subFolders.push_back(text);
  }
  return described;
}

// The file system's own listing, time and folder calls, put together by the interface.
Described bySeparateCalls(const std::string& folder) {
  const FaultyFileSystem withoutFaults;
  return describe(withoutFaults.readFolder(folder));
}

Described inOnePass(const std::string& folder) {
  return describe(platform::nativeFileSystem().readFolder(folder));
}

void print(const char* title, const Described& described) {
  std::fprintf(stderr, "%s: %zu files, failure '%s'\n", title, described.files.size(),
               described.listingFailure.c_str());
  for (const std::string& sub : described.subFolders) std::fprintf(stderr, "  %s\n", sub.c_str());
}

// The number of folders whose two readings differ, each printed.
int differences(const std::vector<std::string>& folders) {
  int count = 0;
  for (const std::string& folder : folders) {
    const Described expected = bySeparateCalls(folder);
    const Described actual = inOnePass(folder);
    if (actual == expected) continue;
    ++count;
    std::fprintf(stderr, "differs for %s\n", folder.c_str());
    print("separate calls", expected);
    print("one pass", actual);
  }
  return count;
}

TEST(FolderReadingTest, OnePassGivesWhatTheSeparateCallsGive) {
  TempTree tree;
  tree.makeFile("F/a.txt", 86'400);
  tree.makeFile("F/b.txt", 2 * 86'400);
  tree.makeFile("F/.hidden.txt", 3 * 86'400);
  tree.makeFile("F/sub/inner.txt");
  tree.makeFile("F/.hidden/inner.txt");
  tree.makeFile("F/closed/inner/deep.txt");
  tree.makeLink("F/to_file", "a.txt");
  tree.makeLink("F/to_folder", "sub");
  tree.makeLink("F/loop", "..");
  tree.makeLink("F/dangling", "missing");
  tree.makeLink("F/behind_closed", "closed/inner");
  tree.makeFile("N/listed_only.txt");
  tree.makeFile("N/folder/x.txt");
  ASSERT_EQ(chmod(tree.root().c_str(), 0755), 0);
  ASSERT_EQ(chmod(tree.path("F/closed").c_str(), 0), 0);
  ASSERT_EQ(chmod(tree.path("N").c_str(), 0644), 0);  // read without search
  const std::vector<std::string> folders = {tree.path("F/"), tree.path("F/closed/"),
                                            tree.path("N/"), tree.path("missing/")};

  const Described f = inOnePass(tree.path("F/"));
  EXPECT_EQ(f.files.size(), 4u);  // a, b, .hidden and the link to a file
  EXPECT_EQ(f.subFolders.size(), 6u);
  EXPECT_EQ(differences(folders), 0);

  // Permissions bind an ordinary user only: root may look into any folder.
  const auto asAnOrdinaryUser = [&] {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) std::_Exit(3);
    const bool refused = !inOnePass(tree.path("F/closed/")).listingFailure.empty() &&
                         inOnePass(tree.path("N/")).files.empty();
    std::_Exit(refused && differences(folders) == 0 ? 0 : 1);
  };
  EXPECT_EXIT(asAnOrdinaryUser(), ::testing::ExitedWithCode(0), "");
  chmod(tree.path("F/closed").c_str(), 0755);
  chmod(tree.path("N").c_str(), 0755);
}

}  // namespace
}  // namespace plovane::test
#endif  // search permission and the one-pass reading are POSIX's
