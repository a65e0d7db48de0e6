#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/error_report.h"
#include "common/failure.h"
#include "faulty_file_system.h"
#include "platform/file_system.h"
#include "recording_host.h"
#include "scan/folder_tree.h"
#include "temp_tree.h"

namespace plovane::test {
namespace {

using platform::nativeFileSystem;

TEST(NameHasBadCharacterTest, ControlCharactersAnywhereInTheNameAreBad) {
  for (const std::string& name : std::vector<std::string>{
           "\x01", "a\nb", "tab\t", "end\x1f", std::string("nul\0", 4), "del\x7f", "esc\x1b[0m"}) {
    EXPECT_TRUE(NameHasBadCharacter(name)) << name;
  }
  // C1 controls, U+0080 to U+009F, as UTF-8.
  EXPECT_TRUE(NameHasBadCharacter("a\xc2\x80"));
  EXPECT_TRUE(NameHasBadCharacter("next\xc2\x85line"));
  EXPECT_TRUE(NameHasBadCharacter("\xc2\x9f"));
}

TEST(NameHasBadCharacterTest, EveryOtherNameIsFine) {
  for (const std::string& name : std::vector<std::string>{
           " leading and trailing ", "~$lock", "what?", "Report (final) #2 - 100% & more!", "\x7e",
           "\xc2\xa0nbsp",                                      // U+00A0, just past the C1 range
           "caf\xc3\xa9",                                       // Latin
           "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82",  // Cyrillic
           "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e",              // CJK
           "\xf0\x9f\x93\x81",                                  // outside the BMP
           // Bytes that are not UTF-8: a Latin-1 NEL (0x85) or 0x9F is a name byte here,
           // not a C1 control.
           "lat\x85", "\x9f", "\xff\xfe", "\xc2", "\xe2\x82"}) {
    EXPECT_FALSE(NameHasBadCharacter(name)) << name;
  }
}

// --- GetSubDirectories2016 on real trees ----------------------------------------------------

// A loop that escaped detection would grow the tree without end; stop the run instead of
// letting the suite hang.
void guardAgainstEndlessScan(RecordingHost& host) {
  host.onYield = [&host] {
    if (host.yields > 200'000) {
      std::fputs("GetSubDirectories2016 does not end: a link loop was followed\n", stderr);
      std::abort();
    }
  };
}

struct ScanResult {
  FolderTree tree;
  RecordingHost host;
};

void scan(ScanResult& result, const platform::FileSystem& fs = nativeFileSystem()) {
  guardAgainstEndlessScan(result.host);
  GetSubDirectories2016(result.tree, true, result.host, fs);
}

// Paths relative to the tree's root, written with "/", in the order of the folder tree.
std::vector<std::string> relative(const TempTree& temp, const FolderTree& tree) {
  std::vector<std::string> result;
  for (const std::string& path : tree) {
    EXPECT_EQ(path.rfind(temp.root(), 0), 0u) << path;
    result.push_back(portablePath(path.substr(temp.root().size())));
  }
  return result;
}

std::vector<std::string> sorted(std::vector<std::string> paths) {
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::string parentOf(const std::string& folder) {
  const std::size_t separator = folder.rfind(platform::kSeparator, folder.size() - 2);
  return folder.substr(0, separator + 1);
}

// Breadth first below the first `chosen` entries: depth never decreases, every folder comes
// after its parent, and the folders of one depth are grouped by parent in the parents' order.
void expectBreadthFirst(const FolderTree& tree, std::size_t chosen) {
  std::map<std::string, std::size_t> position;
  std::map<std::string, int> depth;
  for (std::size_t i = 0; i < tree.size(); ++i) {
    const std::string& folder = tree[i];
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), platform::kSeparator) << folder;
    EXPECT_TRUE(position.emplace(folder, i).second) << "listed twice: " << folder;
    if (i < chosen) {
      depth[folder] = 0;
      continue;
    }
    const auto parent = position.find(parentOf(folder));
    ASSERT_NE(parent, position.end()) << folder << " comes before its parent or has none";
    depth[folder] = depth[parent->first] + 1;
    if (i > chosen) {
      const std::string& previous = tree[i - 1];
      EXPECT_LE(depth[previous], depth[folder]) << previous << " then " << folder;
      if (depth[previous] == depth[folder] && i - 1 >= chosen) {
        EXPECT_LE(position[parentOf(previous)], parent->second) << previous << " then " << folder;
      }
    }
  }
}

TEST(GetSubDirectories2016Test, ListsEveryLevelBreadthFirstAfterTheChosenFolder) {
  TempTree temp;
  for (const char* folder : {"B/X/P", "B/X/Q", "B/Y", "C/Z", "D", "E/F/G/H"}) {
    temp.makeFolder(folder);
  }
  temp.makeFile("B/file.txt");
  temp.makeFile("E/F/file.txt");

  ScanResult result;
  result.tree = {temp.root()};
  scan(result);

  ASSERT_FALSE(result.tree.empty());
  EXPECT_EQ(result.tree.front(), temp.root());
  EXPECT_EQ(sorted(relative(temp, result.tree)),
            (std::vector<std::string>{"", "B/", "B/X/", "B/X/P/", "B/X/Q/", "B/Y/", "C/", "C/Z/",
                                      "D/", "E/", "E/F/", "E/F/G/", "E/F/G/H/"}));
  expectBreadthFirst(result.tree, 1);
  EXPECT_TRUE(result.host.errorReports.empty());
  EXPECT_TRUE(result.host.messages.empty());
}

TEST(GetSubDirectories2016Test, EveryEntryTheTreeHeldIsExpandedAndKeptInFront) {
  TempTree temp;
  temp.makeFolder("one/A/deep");
  temp.makeFolder("two/B");
  temp.makeFolder("two/C");

  ScanResult result;
  result.tree = {temp.path("one/"), temp.path("two/")};
  scan(result);

  EXPECT_EQ(
      sorted(relative(temp, result.tree)),
      (std::vector<std::string>{"one/", "one/A/", "one/A/deep/", "two/", "two/B/", "two/C/"}));
  ASSERT_GE(result.tree.size(), 3u);
  EXPECT_EQ(result.tree[0], temp.path("one/"));
  EXPECT_EQ(result.tree[1], temp.path("two/"));
  EXPECT_EQ(result.tree[2], temp.path("one/A/"));
  expectBreadthFirst(result.tree, 2);
}

TEST(GetSubDirectories2016Test, FolderWithoutSubFoldersLeavesTheTreeUnchanged) {
  TempTree temp;
  temp.makeFile("a.txt");
  temp.makeFile(".hidden.txt");
  REQUIRE_LINKS();
  temp.makeLink("to-file", temp.path("a.txt"));

  ScanResult result;
  result.tree = {temp.root()};
  scan(result);

  EXPECT_EQ(result.tree, FolderTree{temp.root()});
  EXPECT_TRUE(result.host.errorReports.empty());
}

TEST(GetSubDirectories2016Test, ChosenFolderThatDoesNotExistStaysAloneWithoutAMessage) {
  TempTree temp;
  const std::string gone = temp.path("gone/");

  ScanResult result;
  result.tree = {gone};
  scan(result);

  EXPECT_EQ(result.tree, FolderTree{gone});
  EXPECT_TRUE(result.host.errorReports.empty());
  EXPECT_TRUE(result.host.messages.empty());
}

TEST(GetSubDirectories2016Test, UnlistableSubFoldersAreRemovedQuietlyAndTheScanGoesOn) {
  TempTree temp;
  for (const char* folder : {"B/inside", "C/kept", "D/inside", "E/F", "E/G/inside"}) {
    temp.makeFolder(folder);
  }
  FaultyFileSystem fs;
  // Two denied folders in the same pass, and one deeper down that vanished.
  fs.failListing(temp.path("B/"), failure_code::kPermissionDenied);
  fs.failListing(temp.path("D/"), failure_code::kPermissionDenied);
  fs.failListing(temp.path("E/G/"), failure_code::kPathNotFound);

  ScanResult result;
  result.tree = {temp.root()};
  scan(result, fs);

  EXPECT_EQ(sorted(relative(temp, result.tree)),
            (std::vector<std::string>{"", "C/", "C/kept/", "E/", "E/F/"}));
  expectBreadthFirst(result.tree, 1);
  EXPECT_TRUE(result.host.errorReports.empty());
  EXPECT_TRUE(result.host.messages.empty());
}

TEST(GetSubDirectories2016Test, SubFoldersFoundBeforeAListingFailureAreKept) {
  TempTree temp;
  temp.makeFolder("B/X/deeper");
  temp.makeFolder("C");
  FaultyFileSystem fs;
  fs.failListing(temp.path("B/"), failure_code::kPermissionDenied, 1);

  ScanResult result;
  result.tree = {temp.root()};
  scan(result, fs);

  // B itself is gone; what was found below it before the failure is passed up as usual.
  EXPECT_EQ(sorted(relative(temp, result.tree)),
            (std::vector<std::string>{"", "B/X/", "B/X/deeper/", "C/"}));
  EXPECT_TRUE(result.host.errorReports.empty());
}

TEST(GetSubDirectories2016Test, UnreadableChosenFolderContributesNoFolder) {
  for (const int code : {failure_code::kPermissionDenied, failure_code::kPathNotFound}) {
    TempTree temp;
    temp.makeFolder("B");
    FaultyFileSystem fs;
    fs.failListing(temp.root(), code);

    ScanResult result;
    result.tree = {temp.root()};
    scan(result, fs);

    EXPECT_TRUE(result.tree.empty()) << "code " << code;
    EXPECT_TRUE(result.host.errorReports.empty()) << "code " << code;
    EXPECT_TRUE(result.host.messages.empty()) << "code " << code;
  }
}

TEST(GetSubDirectories2016Test, ListingFailureOfAnotherKindKeepsTheFolder) {
  TempTree temp;
  temp.makeFolder("B/below");
  temp.makeFolder("C/kept");
  FaultyFileSystem fs;
  fs.failListing(temp.path("B/"), failure_code::kDeviceError);

  ScanResult result;
  result.tree = {temp.root()};
  scan(result, fs);

  EXPECT_EQ(sorted(relative(temp, result.tree)),
            (std::vector<std::string>{"", "B/", "C/", "C/kept/"}));
  for (const std::string& report : result.host.errorReports) {
    EXPECT_NE(report.find(label::kGetSubDirectories2016), std::string::npos) << report;
  }
}

TEST(GetSubDirectories2016Test, ReportingModeFailureQuotesTheLabelAndAStepAndGoesOn) {
  TempTree temp;
  temp.makeFolder("B");
  FaultyFileSystem fs;
  fs.failFolderInfo(temp.root(), failure_code::kDeviceError);

  ScanResult result;
  result.tree = {temp.root()};
  scan(result, fs);

  ASSERT_FALSE(result.tree.empty());
  EXPECT_EQ(result.tree.front(), temp.root());
  // The failure itself comes first; what it leads to in the following steps may add more.
  ASSERT_FALSE(result.host.errorReports.empty());
  EXPECT_EQ(result.host.errorReports[0].rfind("Device unavailable\r\n", 0), 0u)
      << result.host.errorReports[0];
  const std::string labelLine = "\r\n" + std::string(label::kGetSubDirectories2016) + "at line ";
  for (const std::string& report : result.host.errorReports) {
    const std::size_t at = report.find(labelLine);
    ASSERT_NE(at, std::string::npos) << report;
    const std::string description = report.substr(0, at);
    const int step = std::atoi(report.c_str() + at + labelLine.size());
    EXPECT_EQ(report, composeErrorReport(description, label::kGetSubDirectories2016, step));
    EXPECT_GE(step, 100);
    EXPECT_LE(step, 160);
    EXPECT_EQ(step % 2, 0);
  }
}

TEST(GetSubDirectories2016Test, LinksLeadingBackToTheFolderOrAnAncestorAreLeftOut) {
  TempTree temp;
  temp.makeFolder("B/C/D");
  REQUIRE_LINKS();
  temp.makeLink("to-root", temp.root());         // the chosen folder itself
  temp.makeLink("B/dot", ".");                   // B itself
  temp.makeLink("B/up", temp.path("B"));         // B again, by absolute path
  temp.makeLink("B/C/to-root", temp.root());     // a grand-ancestor
  temp.makeLink("B/C/D/to-b", temp.path("B/"));  // an ancestor, final separator
  temp.makeLink("B/self", "self");               // a link to itself resolves to nothing
  temp.makeLink("B/C/D/ping", temp.path("B/C/D/pong"));
  temp.makeLink("B/C/D/pong", temp.path("B/C/D/ping"));

  ScanResult result;
  result.tree = {temp.root()};
  scan(result);

  EXPECT_EQ(sorted(relative(temp, result.tree)),
            (std::vector<std::string>{"", "B/", "B/C/", "B/C/D/"}));
  EXPECT_TRUE(result.host.errorReports.empty());
}

TEST(GetSubDirectories2016Test, LinksToOtherFoldersAreFollowedOnce) {
  TempTree temp;
  temp.makeFolder("A/X");
  temp.makeFolder("B");
  REQUIRE_LINKS();
  temp.makeLink("B/to-a", temp.path("A"));
  temp.makeLink("A/to-b", temp.path("B"));  // A -> B -> A would close a loop at the second step
  temp.makeLink("B/dangling", temp.path("nowhere"));
  temp.makeLink("B/to-file", temp.path("file.txt"));
  temp.makeFile("file.txt");

  ScanResult result;
  result.tree = {temp.root()};
  scan(result);

  EXPECT_EQ(sorted(relative(temp, result.tree)),
            (std::vector<std::string>{"", "A/", "A/X/", "A/to-b/", "B/", "B/to-a/", "B/to-a/X/"}));
  expectBreadthFirst(result.tree, 1);
  EXPECT_TRUE(result.host.errorReports.empty());
}

TEST(GetSubDirectories2016Test, NamesAreTakenByteForByteAndOnlyControlCharactersAreSkipped) {
  std::vector<std::string> accepted = {
      "with space",
      "~tilde",
      ".hidden",
      "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82",
      "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e",
  };
  std::vector<std::string> skipped = {"del\x7f", "nel\xc2\x85"};
#ifndef _WIN32
  // Names Windows forbids, and bytes that are not UTF-8.
  accepted.insert(accepted.end(), {"what?", "bad\xff\xfe", "lat\x85"});
  skipped.insert(skipped.end(), {"new\nline", "tab\t"});
#endif
  TempTree temp;
  for (const std::string& name : accepted) temp.makeFolder(name + "/in");
  for (const std::string& name : skipped) temp.makeFolder(name + "/in");

  ScanResult result;
  result.tree = {temp.root()};
  scan(result);

  std::vector<std::string> expected = {""};
  for (const std::string& name : accepted) {
    expected.push_back(name + "/");
    expected.push_back(name + "/in/");
  }
  EXPECT_EQ(sorted(relative(temp, result.tree)), sorted(expected));
  expectBreadthFirst(result.tree, 1);
  EXPECT_TRUE(result.host.errorReports.empty());
}

// Runs the scan with the working folder set to the tree's root, so that the chosen folder can
// be named relative to it.
FolderTree scanFromInside(const TempTree& temp, const std::string& chosen) {
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(temp.root());
  ScanResult result;
  result.tree = {nativePath(chosen)};
  scan(result);
  std::filesystem::current_path(previous);
  EXPECT_TRUE(result.host.errorReports.empty());
  return result.tree;
}

// The paths below the chosen folder (as written with "/"), written with "/".
std::vector<std::string> below(const std::string& chosen, const FolderTree& tree) {
  std::vector<std::string> result;
  for (const std::string& path : tree) {
    EXPECT_EQ(path.rfind(nativePath(chosen), 0), 0u) << path;
    result.push_back(portablePath(path.substr(chosen.size())));
  }
  return sorted(result);
}

// A folder reached through a link is walked like any other, and left out only where it is
// the chosen folder or a folder on the chain that reached it, whatever its path text says.
TEST(GetSubDirectories2016Test, LoopsAreCutByTheWalkedChainAloneHoweverTheFolderIsNamed) {
  TempTree temp;
  temp.makeFile("P/outside.txt");
  temp.makeFolder("P/Other");
  temp.makeFolder("P/A");
  REQUIRE_LINKS();
  temp.makeLink("P/A/parent", "..");          // above the chosen folder: walked
  temp.makeLink("P/A/l1", temp.path("Z/X"));  // then a plain folder closes the loop:
  temp.makeLink("Z/X/back", "..");            // A/l1/back/X is A/l1 again
  temp.makeFile("Z/X/x.txt");

  const std::vector<std::string> expected = {"", "l1/", "l1/back/", "parent/", "parent/Other/"};
  const std::string absolute = portablePath(temp.path("P/A/"));
  ScanResult result;
  result.tree = {nativePath(absolute)};
  scan(result);
  EXPECT_EQ(below(absolute, result.tree), expected);
  expectBreadthFirst(result.tree, 1);
  EXPECT_TRUE(result.host.errorReports.empty());

  for (const std::string& chosen : {std::string("P/A/"), std::string("./P/A/")}) {
    EXPECT_EQ(below(chosen, scanFromInside(temp, chosen)), expected) << chosen;
  }
  // The relative chosen folder holding a link to its own parent.
  EXPECT_EQ(below("P/", scanFromInside(temp, "P/")),
            (std::vector<std::string>{"", "A/", "A/l1/", "A/l1/back/", "Other/"}));
}

#ifndef _WIN32
// Creates the folder or file below a folder given by its descriptor, so that paths longer
// than the system accepts can be made.
int makeFolderAt(int folder, const std::string& name) {
  if (mkdirat(folder, name.c_str(), 0755) != 0) return -1;
  return openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

void makeFileAt(int folder, const std::string& name) {
  const int file = openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(file, 0) << name.size();
  close(file);
}

// An entry is listed only when its full path can be opened by name: a file whose path is one
// byte short of the limit is, one of the limit's length is not, and a folder likewise with
// its final separator counted.
TEST(GetSubDirectories2016Test, EntriesWhosePathReachesTheLimitAreLeftOutFilesAndFoldersAlike) {
  constexpr std::size_t kLimit = platform::kPathLimit;
  TempTree temp;
  std::string deep = temp.root();
  while (kLimit - 200 - deep.size() > 201) {
    const std::string name(200, 'd');
    temp.makeFolder(deep.substr(temp.root().size()) + name);
    deep += name + "/";
  }
  const std::string last(kLimit - 200 - deep.size() - 1, 'e');
  temp.makeFolder(deep.substr(temp.root().size()) + last);
  deep += last + "/";
  ASSERT_EQ(deep.size(), kLimit - 200);

  const std::size_t room = kLimit - 1 - deep.size();  // the longest name of a file that fits
  const std::string fittingFile(room, 'f'), longFile(room + 1, 'g');
  const std::string fittingFolder(room - 1, 'h'), longFolder(room, 'k');
  const int folder = open(deep.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(folder, 0);
  makeFileAt(folder, fittingFile);
  makeFileAt(folder, longFile);
  close(makeFolderAt(folder, fittingFolder));
  close(makeFolderAt(folder, longFolder));
  // The temporary tree's removal goes by full paths; these two it could not reach.
  struct RemoveTooLong {
    int folder;
    const std::string &file, &subFolder;
    ~RemoveTooLong() {
      unlinkat(folder, file.c_str(), 0);
      unlinkat(folder, subFolder.c_str(), AT_REMOVEDIR);
      close(folder);
    }
  } removeTooLong{folder, longFile, longFolder};

  std::vector<std::string> listed;
  nativeFileSystem().forEachEntry(
      deep, [&](std::string_view name, platform::EntryKind) { listed.emplace_back(name); });
  EXPECT_EQ(sorted(listed), sorted({fittingFile, fittingFolder}));

  ScanResult result;
  result.tree = {temp.root()};
  scan(result);
  ASSERT_FALSE(result.tree.empty());
  EXPECT_EQ(result.tree.back(), deep + fittingFolder + "/");
  EXPECT_EQ(std::count(result.tree.begin(), result.tree.end(), deep), 1);
  EXPECT_EQ(std::count(result.tree.begin(), result.tree.end(), deep + longFolder + "/"), 0);
  EXPECT_TRUE(result.host.errorReports.empty());
}
#endif  // on Windows the limit counts UTF-16 units; see win32_file_system_test.cpp

}  // namespace
}  // namespace plovane::test
