// What only the Windows file system has: hidden and system attributes, links examined as
// links, the path limit counted in UTF-16 units, the local time offset, shares by their paths.
#ifdef _WIN32

#include "platform/win32/windows_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/win32/wide_text.h"
#include "recording_host.h"
#include "scan/file_lists.h"
#include "scan/folder_tree.h"
#include "temp_tree.h"

namespace plovane::test {
namespace {

using platform::nativeFileSystem;
using platform::win32::toWide;
namespace attribute = platform::attribute;

std::vector<std::string> scannedBelow(const TempTree& temp) {
  FolderTree tree = {temp.root()};
  RecordingHost host;
  GetSubDirectories2016(tree, true, host, nativeFileSystem());
  EXPECT_TRUE(host.errorReports.empty());
  std::vector<std::string> below;
  for (const std::string& path : tree)
    below.push_back(portablePath(path.substr(temp.root().size())));
  std::sort(below.begin(), below.end());
  return below;
}

TEST(Win32FolderInfoTest, LinkIsExaminedAsALinkWithOrWithoutItsFinalSeparator) {
  TempTree temp;
  temp.makeFolder("Target/inner");
  REQUIRE_LINKS();
  temp.makeLink("Sub/loop", temp.path("Target"));
  const auto& fs = nativeFileSystem();

  for (const std::string& link : {temp.path("Sub/loop"), temp.path("Sub/loop/")}) {
    const platform::FolderInfo info = fs.folderInfo(link);
    EXPECT_EQ(info.attributes & (attribute::kLink | attribute::kFolder),
              attribute::kLink | attribute::kFolder)
        << link;
    EXPECT_FALSE(info.isRoot) << link;
    // Identified as its target, so that a loop through it is recognised.
    EXPECT_EQ(info.id, fs.folderInfo(temp.path("Target/")).id) << link;
  }
  for (const std::string& folder : {temp.path("Target"), temp.path("Target/")}) {
    EXPECT_EQ(fs.folderInfo(folder).attributes & attribute::kLink, 0) << folder;
  }
  const platform::FolderInfo drive = fs.folderInfo("C:\\");
  EXPECT_TRUE(drive.isRoot);
  EXPECT_NE(drive.attributes & attribute::kFolder, 0);
}

TEST(Win32FolderTreeTest, HiddenSystemFolderIsLeftOutWhileHiddenOnlyAndSystemOnlyStay) {
  TempTree temp;
  const std::vector<std::pair<std::string, DWORD>> folders = {
      {"both", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
      {"hidden", FILE_ATTRIBUTE_HIDDEN},
      {"system", FILE_ATTRIBUTE_SYSTEM},
      {"plain", 0},
  };
  for (const auto& [name, bits] : folders) {
    temp.makeFolder(name + "/in");
    const std::wstring path = toWide(temp.path(name));
    if (bits == 0) continue;
    // Wine keeps these bits in an extended attribute, which not every file system has.
    if (!SetFileAttributesW(path.c_str(), bits) ||
        (GetFileAttributesW(path.c_str()) & bits) != bits) {
      GTEST_SKIP() << "this file system keeps no hidden or system attribute on folders";
    }
  }

  EXPECT_EQ(scannedBelow(temp), (std::vector<std::string>{"", "hidden/", "hidden/in/", "plain/",
                                                          "plain/in/", "system/", "system/in/"}));
}

// Made by the "\\?\" form of the path, which is not held to the path limit.
void makeFolderPastTheLimit(const std::string& path) {
  ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + toWide(path)).c_str(), nullptr)) << path.size();
}

void makeFilePastTheLimit(const std::string& path) {
  const HANDLE file = CreateFileW((L"\\\\?\\" + toWide(path)).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path.size();
  CloseHandle(file);
}

// A name of the given number of UTF-16 units: the filler ("é" unless given) is one unit in
// two bytes, and the first character, outside the Basic Multilingual Plane, two units in four.
std::string nameOfUnits(std::size_t units, const std::string& filler = "\xc3\xa9") {
  std::string name = "\xf0\x9d\x84\x9e";  // U+1D11E
  for (std::size_t k = 2; k < units; ++k) name += filler;
  return name;
}

// The limit counts UTF-16 units, not bytes: the deep folder here is longer than the limit in
// UTF-8 already, and each entry in it is listed exactly when its full path stays under 260
// units. (Names stay short enough for a host system that holds a name to 255 bytes.)
TEST(Win32FolderTreeTest, PathLimitCountsUtf16UnitsForFilesAndFoldersAlike) {
  constexpr std::size_t kLimit = platform::kPathLimit;
  constexpr std::size_t kDeepUnits = 200;
  TempTree temp;
  std::string deep = temp.root();
  std::vector<std::string> chain;  // the folders down to deep, relative and with "/"
  while (platform::pathLength(deep) < kDeepUnits) {
    const std::size_t units =
        std::min<std::size_t>(100, kDeepUnits - 1 - platform::pathLength(deep));
    ASSERT_GE(units, 2u);
    const std::string name = nameOfUnits(units);
    chain.push_back((chain.empty() ? "" : chain.back()) + name + "/");
    temp.makeFolder(chain.back());
    deep += name + '\\';
  }
  ASSERT_EQ(platform::pathLength(deep), kDeepUnits);
  ASSERT_GT(deep.size(), kLimit);  // too long already if bytes were counted

  const std::size_t room = kLimit - 1 - kDeepUnits;  // the longest name of a file that fits
  const std::string fittingFile = nameOfUnits(room), longFile = nameOfUnits(room + 1);
  const std::string u = "\xc3\xbc";  // "ü", so that folder and file names differ
  const std::string fittingFolder = nameOfUnits(room - 1, u), longFolder = nameOfUnits(room, u);
  makeFilePastTheLimit(deep + fittingFile);
  makeFilePastTheLimit(deep + longFile);
  makeFolderPastTheLimit(deep + fittingFolder);
  makeFolderPastTheLimit(deep + longFolder);

  std::vector<std::string> listed;
  nativeFileSystem().forEachEntry(
      deep, [&](std::string_view name, platform::EntryKind) { listed.emplace_back(name); });
  std::sort(listed.begin(), listed.end());
  std::vector<std::string> fitting = {fittingFile, fittingFolder};
  std::sort(fitting.begin(), fitting.end());
  EXPECT_EQ(listed, fitting);

  std::vector<std::string> expected = {"", chain.back() + fittingFolder + "/"};
  expected.insert(expected.end(), chain.begin(), chain.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(scannedBelow(temp), expected);
}

// The offset is the one the system applies to the current time, daylight saving included.
TEST(Win32LocalTimeTest, OffsetIsTheSystemsCurrentBiasEastPositive) {
  TIME_ZONE_INFORMATION zone{};
  const DWORD mode = GetTimeZoneInformation(&zone);
  ASSERT_NE(mode, TIME_ZONE_ID_INVALID);
  long bias = zone.Bias;
  if (mode == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
  if (mode == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
  EXPECT_EQ(nativeFileSystem().utcOffsetSeconds(), -bias * 60);

  // Every file's time is shifted by that one offset, whatever the season of the file.
  TempTree temp;
  constexpr std::int64_t kJanuary = 1'673'000'000, kJuly = 1'689'000'000;
  temp.makeFile("winter.txt", kJanuary);
  temp.makeFile("summer.txt", kJuly);
  const std::int64_t offset = nativeFileSystem().utcOffsetSeconds();
  EXPECT_EQ(GetFileLastModified(nativeFileSystem(), temp.path("winter.txt")),
            DateTime::fromLocalSeconds(kJanuary + offset));
  EXPECT_EQ(GetFileLastModified(nativeFileSystem(), temp.path("summer.txt")),
            DateTime::fromLocalSeconds(kJuly + offset));
}

// A UNC path is a share whether it is written plainly or in the long form; a local drive,
// also in the long form, is not.
TEST(Win32RemoteTest, UncPathsAreSharesAndLocalFoldersAreNot) {
  const platform::FileSystem& fs = nativeFileSystem();
  EXPECT_TRUE(fs.isRemote("\\\\server\\share\\folder"));
  EXPECT_TRUE(fs.isRemote("//server/share/"));
  EXPECT_TRUE(fs.isRemote("\\\\?\\UNC\\server\\share\\"));
  TempTree temp;
  EXPECT_FALSE(fs.isRemote(temp.root()));
  EXPECT_FALSE(fs.isRemote("\\\\?\\" + temp.root()));
}

}  // namespace
}  // namespace plovane::test

#endif  // _WIN32
