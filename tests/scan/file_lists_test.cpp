#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>
#include <vector>

#include "common/failure.h"
#include "faulty_file_system.h"
#include "host_files.h"
#include "platform/file_system.h"
#include "scan/file_lists.h"
#include "temp_tree.h"

namespace plovane::test {
namespace {

using platform::nativeFileSystem;

constexpr std::int64_t kTicks = platform::kFileTimeTicksPerSecond;
constexpr std::int64_t kEpochTicks = platform::kFileTimeSecondsAtUnixEpoch * kTicks;

NameList sorted(NameList names) {
  std::sort(names.begin(), names.end());
  return names;
}

NameList numberedNames(int count) {
  NameList names;
  for (int i = 0; i < count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "f%03d.txt", i);
    names.push_back(name);
  }
  return names;
}

// The native file system seen from a computer with a chosen offset from universal time.
class ShiftedFileSystem : public FaultyFileSystem {
 public:
  explicit ShiftedFileSystem(std::int64_t offsetSeconds) : offset_(offsetSeconds) {}
  std::int64_t utcOffsetSeconds() const override { return offset_; }

 private:
  std::int64_t offset_;
};

TEST(GetFilesInFolderTest, ListsAHundredAndAHundredAndOneFiles) {
  for (const int count : {100, 101}) {
    TempTree temp;
    const NameList names = numberedNames(count);
    for (const std::string& name : names) temp.makeFile(name);
    temp.makeFolder("sub.dir");

    const NameList listed = GetFilesInFolder(nativeFileSystem(), temp.root(), "*.*");
    EXPECT_EQ(listed.size(), static_cast<std::size_t>(count));
    EXPECT_EQ(sorted(listed), names);
  }
}

TEST(GetFilesInFolderTest, ListsFilesOnlyHiddenOnesIncluded) {
  TempTree temp;
  temp.makeFile("visible.txt");
  temp.makeFile(".hidden");
  temp.makeFile("noextension");
  temp.makeFile("sub/not-here.txt");
  temp.makeFolder(".hidden-folder");
  temp.makeFile("target.txt");
  REQUIRE_LINKS();
  temp.makeLink("link-to-file", temp.path("target.txt"));
  temp.makeLink("link-to-folder", temp.path("sub"));
  temp.makeLink("dangling", temp.path("nowhere"));

  EXPECT_EQ(sorted(GetFilesInFolder(nativeFileSystem(), temp.root(), "*.*")),
            (NameList{".hidden", "link-to-file", "noextension", "target.txt", "visible.txt"}));
}

TEST(GetFilesInFolderTest, FinalSeparatorMakesNoDifference) {
  TempTree temp;
  for (const char* name : {"a", "b.txt", "c.doc", ".d"}) temp.makeFile(std::string("sub/") + name);

  const NameList with = GetFilesInFolder(nativeFileSystem(), temp.path("sub/"), "*.*");
  const NameList without = GetFilesInFolder(nativeFileSystem(), temp.path("sub"), "*.*");
  EXPECT_EQ(sorted(with), (NameList{".d", "a", "b.txt", "c.doc"}));
  EXPECT_EQ(with, without);
}

TEST(GetFilesInFolderTest, EmptyFoldersAndMissingFoldersGiveAnEmptyList) {
  TempTree temp;
  temp.makeFolder("empty");
  temp.makeFolder("folders-only/a");
  temp.makeFolder("folders-only/b");

  EXPECT_TRUE(GetFilesInFolder(nativeFileSystem(), temp.path("empty/"), "*.*").empty());
  EXPECT_TRUE(GetFilesInFolder(nativeFileSystem(), temp.path("folders-only/"), "*.*").empty());
  EXPECT_TRUE(GetFilesInFolder(nativeFileSystem(), temp.path("missing/"), "*.*").empty());
  EXPECT_TRUE(GetFilesInFolder(nativeFileSystem(), temp.path("missing/deeper"), "*.*").empty());
}

TEST(GetFilesInFolderTest, OtherListingFailuresReachTheCaller) {
  TempTree temp;
  temp.makeFile("a.txt");
  temp.makeFile("b.txt");
  for (const int code : {failure_code::kPermissionDenied, failure_code::kDeviceError}) {
    FaultyFileSystem fs;
    fs.failListing(temp.root(), code, 1);
    try {
      GetFilesInFolder(fs, temp.root(), "*.*");
      ADD_FAILURE() << "no failure for code " << code;
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.code(), code);
    }
  }
}

TEST(GetFilesInFolderTest, NamesComeBackByteForByte) {
  NameList names = {
      "with space.txt",
      " leading",
      "~$lock.docx",
      "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82.txt",
      "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.txt",
      "\xf0\x9f\x93\x81 outside the BMP.txt",
  };
#ifndef _WIN32
  // Names Windows forbids, and bytes that are not UTF-8.
  names.insert(names.end(), {"new\nline.txt", "what?.txt", "bad\xff\xfe.txt"});
#endif
  TempTree temp;
  for (const std::string& name : names) temp.makeFile(name);

  const NameList listed = GetFilesInFolder(nativeFileSystem(), temp.root(), "*.*");
  EXPECT_EQ(sorted(listed), sorted(names));
  for (const std::string& name : listed) {
    EXPECT_TRUE(IsExistingFile(nativeFileSystem(), temp.path(name))) << name;
  }
}

TEST(GetFileLastModifiedTest, GivesTheFileTimeShiftedByTheComputersOffset) {
  TempTree temp;
  const std::int64_t september2020 = 1'600'000'000;
  const std::int64_t december1969 = -86'400;
  temp.makeFile("new.txt", september2020);
  temp.makeFile("old.txt", december1969);

  for (const std::int64_t offset : {0LL, 7'200LL, -18'000LL}) {
    const ShiftedFileSystem fs(offset);
    EXPECT_EQ(GetFileLastModified(fs, temp.path("new.txt")),
              DateTime::fromLocalSeconds(september2020 + offset))
        << "offset " << offset;
    EXPECT_EQ(GetFileLastModified(fs, temp.path("old.txt")),
              DateTime::fromLocalSeconds(december1969 + offset))
        << "offset " << offset;
  }
  const auto& native = nativeFileSystem();
  EXPECT_EQ(GetFileLastModified(native, temp.path("new.txt")),
            DateTime::fromLocalSeconds(september2020 + native.utcOffsetSeconds()));
}

TEST(GetFileLastModifiedTest, FractionOfASecondIsDropped) {
  TempTree temp;
  temp.makeFile("fine.txt");
  // The finest fraction both systems keep: a Windows file time counts 100 nanoseconds.
  ASSERT_TRUE(host::setLastWriteTime(temp.path("fine.txt"), 1'600'000'000, 999'999'900));

  const ShiftedFileSystem fs(0);
  EXPECT_EQ(GetFileLastModified(fs, temp.path("fine.txt")),
            DateTime::fromLocalSeconds(1'600'000'000));
}

TEST(GetFileLastModifiedTest, FileGoneBeforeTheLookupHasNoTime) {
  TempTree temp;
  temp.makeFile("dir/going.txt", 1'600'000'000);
  temp.makeFile("dir/staying.txt", 1'600'000'000);
  const auto& fs = nativeFileSystem();

  const NameList listed = GetFilesInFolder(fs, temp.path("dir/"), "*.*");
  ASSERT_EQ(listed.size(), 2u);
  temp.remove("dir/going.txt");

  EXPECT_TRUE(GetFileLastModified(fs, temp.path("dir/going.txt")).isNone());
  EXPECT_FALSE(GetFileLastModified(fs, temp.path("dir/staying.txt")).isNone());
  EXPECT_TRUE(GetFileLastModified(fs, temp.path("never-there.txt")).isNone());

  FaultyFileSystem faulty;
  faulty.vanishTime(temp.path("dir/staying.txt"));
  EXPECT_TRUE(GetFileLastModified(faulty, temp.path("dir/staying.txt")).isNone());
}

TEST(FileTimeToLocalDateTest, WindowsFileTimesBecomeWholeSecondsTowardTheEarlierSecond) {
  using platform::unixSecondsOfFileTime;
  EXPECT_EQ(unixSecondsOfFileTime(kEpochTicks), 0);
  EXPECT_EQ(unixSecondsOfFileTime(kEpochTicks + kTicks - 1), 0);
  EXPECT_EQ(unixSecondsOfFileTime(kEpochTicks + kTicks), 1);
  // Before 1970 too: half a second before the epoch lies in the second that starts at -1.
  EXPECT_EQ(unixSecondsOfFileTime(kEpochTicks - kTicks / 2), -1);
  EXPECT_EQ(unixSecondsOfFileTime(kEpochTicks - kTicks - 1), -2);
  // 1 January 1601 is 109,205 days before 30 December 1899.
  EXPECT_DOUBLE_EQ(FileTimeToLocalDate(unixSecondsOfFileTime(0), 0).oleDays(), -109'205.0);
}

TEST(FileTimeToLocalDateTest, EveryTimeConvertsByTheOffsetAndKeepsItsOrder) {
  EXPECT_EQ(FileTimeToLocalDate(0, 0), DateTime::fromLocalSeconds(0));
  EXPECT_DOUBLE_EQ(FileTimeToLocalDate(0, 0).oleDays(), 25'569.0);
  EXPECT_EQ(FileTimeToLocalDate(0, -18'000), DateTime::fromLocalSeconds(-18'000));
  EXPECT_EQ(FileTimeToLocalDate(1'600'000'000, 7'200), DateTime::fromLocalSeconds(1'600'007'200));

  // Times a Windows file time cannot hold: 1500, 1600 and about the year 40,000. They order
  // by their true value under any offset, and none of them reads as "no time".
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  const std::vector<std::int64_t> ascending = {
      kMin + 7'200,      -14'831'769'600, -11'644'473'601, -8'520'336'000, -1, 0,
      1'200'000'000'000, kMax - 7'200};
  for (const std::int64_t offset : {0, 3'600, -3'600}) {
    for (std::size_t k = 0; k < ascending.size(); ++k) {
      const DateTime date = FileTimeToLocalDate(ascending[k], offset);
      EXPECT_FALSE(date.isNone()) << ascending[k];
      EXPECT_EQ(date.localSeconds(), ascending[k] + offset);
      if (k > 0) {
        EXPECT_LT(FileTimeToLocalDate(ascending[k - 1], offset), date);
      }
    }
  }
  // Shifted past either end of the range, a time stays at that end.
  EXPECT_EQ(FileTimeToLocalDate(kMax, 3'600), DateTime::fromLocalSeconds(kMax));
  EXPECT_FALSE(FileTimeToLocalDate(kMin, -3'600).isNone());
  EXPECT_FALSE(FileTimeToLocalDate(kMin, 0).isNone());
}

TEST(ProbeTest, IsExistingFileAndPathExistsNeverFailAndFollowLinks) {
  TempTree temp;
  temp.makeFile("file.txt");
  temp.makeFolder("dir");
  REQUIRE_LINKS();
  temp.makeLink("link", temp.path("file.txt"));
  temp.makeLink("dangling", temp.path("nowhere"));
  const auto& fs = nativeFileSystem();

  EXPECT_TRUE(IsExistingFile(fs, temp.path("file.txt")));
  EXPECT_TRUE(IsExistingFile(fs, temp.path("link")));
  EXPECT_FALSE(IsExistingFile(fs, temp.path("dir/")));
  EXPECT_FALSE(IsExistingFile(fs, temp.path("dangling")));
  EXPECT_FALSE(IsExistingFile(fs, temp.path("missing.txt")));

  EXPECT_TRUE(PathExists(fs, temp.path("file.txt")));
  EXPECT_TRUE(PathExists(fs, temp.path("dir/")));
  EXPECT_FALSE(PathExists(fs, temp.path("missing/deeper")));
}

#ifndef _WIN32
// The offset follows the computer's time zone, east of Greenwich positive. The check runs in
// a fresh process so that changing TZ there affects nothing else.
TEST(NativeFileSystemDeathTest, OffsetFollowsTheTimeZone) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("TZ", "XYZ-3", 1);  // three hours east, without daylight saving
        tzset();
        std::exit(nativeFileSystem().utcOffsetSeconds() == 10'800 ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        setenv("TZ", "XYZ+5", 1);  // five hours west
        tzset();
        std::exit(nativeFileSystem().utcOffsetSeconds() == -18'000 ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}
#endif  // the TZ variable is POSIX's

}  // namespace
}  // namespace plovane::test
