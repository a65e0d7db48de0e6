#include "compare/classification.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/result_list.h"
#include "platform/file_system.h"
#include "recording_host.h"
#include "result_rows.h"
#include "scan/file_list.h"
#include "temp_tree.h"

namespace plovane::test {
namespace {

// A file system that knows nothing but a table of last-write times. A path missing from the
// table has no time, as if the file had vanished after it was listed.
class TimeTableFileSystem : public platform::FileSystem {
 public:
  std::map<std::string, std::int64_t> times;
  std::int64_t offsetSeconds = 0;
  mutable std::map<std::string, int> lookups;

  platform::FolderInfo folderInfo(const std::string&) const override {
    throw Failure("Path not found", failure_code::kPathNotFound);
  }
  void forEachEntry(const std::string&, const platform::EntryVisitor&) const override {
    throw Failure("Path not found", failure_code::kPathNotFound);
  }
  bool isExistingFile(const std::string& path) const override { return times.count(path) != 0; }
  bool isFolder(const std::string&) const override { return false; }
  // The table holds Windows file times, so that fractions of a second take part.
  std::optional<platform::UnixSeconds> lastWriteTime(const std::string& path) const override {
    ++lookups[path];
    const auto found = times.find(path);
    if (found == times.end()) return std::nullopt;
    return platform::unixSecondsOfFileTime(found->second);
  }
  bool canReadChangeTime(const std::string& path) const override { return times.count(path) != 0; }
  std::int64_t utcOffsetSeconds() const override { return offsetSeconds; }
};

// The pairwise algorithm, written as plainly as possible: the hash-indexed implementation must
// give exactly what it gives.
std::string nameOf(const std::string& path) {
  const std::size_t separator = path.rfind(platform::kSeparator);
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::vector<std::string> pairwiseNotInOther(const std::vector<std::string>& a,
                                            const std::vector<std::string>& b) {
  std::vector<std::string> result;
  for (const std::string& entry : a) {
    bool matched = false;
    for (const std::string& other : b) {
      if (nameOf(other) == nameOf(entry)) {
        matched = true;
        break;
      }
    }
    if (!matched) result.push_back(entry);
  }
  return result;
}

// Whole seconds since 1601; no time orders before every time, as std::optional does.
std::optional<std::int64_t> secondsOf(const TimeTableFileSystem& fs, const std::string& path) {
  const auto found = fs.times.find(path);
  if (found == fs.times.end()) return std::nullopt;
  return found->second / platform::kFileTimeTicksPerSecond;
}

std::vector<Row> pairwiseNewerOlder(const std::vector<std::string>& a,
                                    const std::vector<std::string>& b,
                                    const TimeTableFileSystem& fs) {
  std::vector<Row> rows;
  for (const std::string& left : a) {
    for (const std::string& right : b) {
      if (nameOf(left) != nameOf(right)) continue;
      const auto leftTime = secondsOf(fs, left);
      const auto rightTime = secondsOf(fs, right);
      if (leftTime > rightTime) {
        rows.push_back(overwriteRow(left, right));
      } else if (leftTime < rightTime) {
        rows.push_back(overwriteRow(right, left));
      }
    }
  }
  return rows;
}

FileList fileListOf(const std::vector<std::string>& paths) {
  FileList list;
  for (const std::string& path : paths) list.appendPath(path);
  return list;
}

// Random file lists with what makes name matching hard: the same name in several folders,
// the same path twice, case variants, bare names without a folder, names that are not valid
// UTF-8, missing times, and times that differ only by a fraction of a second.
class RandomLists {
 public:
  explicit RandomLists(unsigned seed) : random_(seed) {}

  void fill(TimeTableFileSystem& fs, std::vector<std::string>& a, std::vector<std::string>& b,
            int maxSize) {
    seen_.clear();
    static const std::vector<std::string> kNames = {
        "a.txt",  "A.TXT",  "a.TXT",   "A.txt",        "b.txt",    "B.txt",
        "readme", "Readme", "x y.doc", "\xc3\xa9.txt", "\xff.bin", "\xd0\xb4\xd0\xb0",
        "c",      "c "};
    static const std::vector<std::string> kFolders = {"/d1/",     "/d1/Sub/", "/d2/",
                                                      "/d2/x/y/", "/e/Sub/",  ""};
    // A small pool of names in one case makes long runs of matches, a large one few.
    std::vector<std::string> names = kNames;
    std::shuffle(names.begin(), names.end(), random_);
    names.resize(pick(1, static_cast<int>(names.size())));

    const auto makeList = [&](std::vector<std::string>& list) {
      const int size = pick(0, 9) == 0 ? 0 : pick(1, maxSize);
      for (int i = 0; i < size; ++i) {
        const std::string path =
            nativePath(kFolders[static_cast<std::size_t>(
                pick(0, static_cast<int>(kFolders.size()) - 1))]) +
            names[static_cast<std::size_t>(pick(0, static_cast<int>(names.size()) - 1))];
        list.push_back(path);
        giveTime(fs, path);
      }
    };
    makeList(a);
    makeList(b);
    fs.offsetSeconds = pick(-12, 14) * kHour;
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  // A path is one file, so it keeps the time it was first given.
  void giveTime(TimeTableFileSystem& fs, const std::string& path) {
    if (!seen_.insert(path).second) return;
    if (pick(0, 6) == 0) return;  // no time
    fs.times[path] = fileTimeOf(kDay + pick(0, 3), pick(0, 9'999'999));
  }

  std::mt19937 random_;
  std::set<std::string> seen_;
};

struct Outcome {
  std::vector<std::string> notInB;
  std::vector<std::string> notInA;
  std::vector<Row> pairs;
};

Outcome classify(const std::vector<std::string>& a, const std::vector<std::string>& b,
                 const TimeTableFileSystem& fs) {
  RecordingHost host;
  Outcome outcome;
  const FileList listA = fileListOf(a);
  const FileList listB = fileListOf(b);
  outcome.notInB = FilesNotInOtherList(listA, listB, host).paths();
  outcome.notInA = FilesNotInOtherList(listB, listA, host).paths();

  // Rows are appended after whatever the list already holds.
  ResultList listView3;
  listView3.appendRow("earlier row", "x", "y");
  ListNewerOlderPairs(listA, listB, listView3, host, fs);
  outcome.pairs = rowsOf(listView3);
  EXPECT_EQ(outcome.pairs.front(), (Row{"earlier row", "x", "y"}));
  outcome.pairs.erase(outcome.pairs.begin());
  EXPECT_TRUE(host.errorReports.empty());
  EXPECT_TRUE(host.messages.empty());
  return outcome;
}

// Each file's time is read at most once per entry holding it, and only for names that occur
// on both sides.
void expectFrugalTimeLookups(const std::vector<std::string>& a, const std::vector<std::string>& b,
                             const TimeTableFileSystem& fs) {
  std::set<std::string> namesA, namesB;
  for (const auto& path : a) namesA.insert(nameOf(path));
  for (const auto& path : b) namesB.insert(nameOf(path));
  for (const auto& [path, count] : fs.lookups) {
    const auto entries =
        std::count(a.begin(), a.end(), path) + std::count(b.begin(), b.end(), path);
    EXPECT_LE(count, entries) << "time of " << path << " read too often";
    const std::string name = nameOf(path);
    EXPECT_TRUE(namesA.count(name) && namesB.count(name))
        << "time of " << path << " read although its name is on one side only";
  }
}

TEST(ClassificationTest, MatchesPairwiseAlgorithmOnRandomLists) {
  for (const unsigned seed : {1u, 20210831u, 77u}) {
    RandomLists random(seed);
    for (int iteration = 0; iteration < 150; ++iteration) {
      SCOPED_TRACE("seed " + std::to_string(seed) + ", iteration " + std::to_string(iteration));
      TimeTableFileSystem fs;
      std::vector<std::string> a, b;
      random.fill(fs, a, b, 30);

      const Outcome outcome = classify(a, b, fs);
      EXPECT_EQ(outcome.notInB, pairwiseNotInOther(a, b));
      EXPECT_EQ(outcome.notInA, pairwiseNotInOther(b, a));
      EXPECT_EQ(outcome.pairs, pairwiseNewerOlder(a, b, fs));
      expectFrugalTimeLookups(a, b, fs);
      if (HasFailure()) return;
    }
  }
}

TEST(ClassificationTest, MatchesPairwiseAlgorithmOnLargeListsWithManyRepeats) {
  RandomLists random(4242);
  TimeTableFileSystem fs;
  std::vector<std::string> a, b;
  random.fill(fs, a, b, 300);
  // Enough entries per name that an index has to grow and keep every duplicate in order.
  for (int i = 0; i < 1500; ++i) {
    const std::string name = "n" + std::to_string(i % 97) + ".dat";
    const std::string left = nativePath("/left/" + std::to_string(i % 13) + "/" + name);
    const std::string right = nativePath("/right/" + std::to_string(i % 11) + "/" + name);
    a.push_back(left);
    b.push_back(right);
    fs.times.emplace(left, fileTimeOf(kDay + i % 5, 1234));
    if (i % 17 != 0) fs.times.emplace(right, fileTimeOf(kDay + i % 7));
  }

  const Outcome outcome = classify(a, b, fs);
  const std::vector<Row> expectedPairs = pairwiseNewerOlder(a, b, fs);
  ASSERT_GT(expectedPairs.size(), 10'000u);
  EXPECT_EQ(outcome.notInB, pairwiseNotInOther(a, b));
  EXPECT_EQ(outcome.notInA, pairwiseNotInOther(b, a));
  EXPECT_TRUE(outcome.pairs == expectedPairs) << "rows differ from the pairwise algorithm";
  expectFrugalTimeLookups(a, b, fs);
}

TEST(ClassificationTest, NameCaseAndFolderDecideMatching) {
  TimeTableFileSystem fs;
  const std::vector<std::string> a = {nativePath("/one/Sub1/x.txt"), nativePath("/one/Readme.txt"),
                                      nativePath("/one/only.txt"), nativePath("/one/only.txt")};
  const std::vector<std::string> b = {nativePath("/two/Sub2/deep/x.txt"),
                                      nativePath("/two/README.TXT")};
  fs.times = {{a[0], fileTimeOf(kDay)}, {b[0], fileTimeOf(kDay + 1)}};

  const Outcome outcome = classify(a, b, fs);
  EXPECT_EQ(outcome.notInB, (std::vector<std::string>{a[1], a[2], a[3]}));
  EXPECT_EQ(outcome.notInA, (std::vector<std::string>{b[1]}));
  EXPECT_EQ(outcome.pairs, (std::vector<Row>{overwriteRow(b[0], a[0])}));
}

TEST(ClassificationTest, FileRemovedBeforeItsTimeIsReadIsOlderThanItsPartner) {
  TempTree tree;
  tree.makeFile("one/gone.txt", kDay + 10 * kHour);
  tree.makeFile("two/gone.txt", kDay + 9 * kHour);
  tree.makeFile("one/both.txt", kDay);
  tree.makeFile("two/both.txt", kDay);
  const FileList a = fileListOf({tree.path("one/gone.txt"), tree.path("one/both.txt")});
  const FileList b = fileListOf({tree.path("two/gone.txt"), tree.path("two/both.txt")});
  tree.remove("one/gone.txt");
  tree.remove("one/both.txt");
  tree.remove("two/both.txt");

  RecordingHost host;
  ResultList listView3;
  ListNewerOlderPairs(a, b, listView3, host, platform::nativeFileSystem());
  // Two files without a time are equal and give no row.
  EXPECT_EQ(rowsOf(listView3),
            (std::vector<Row>{overwriteRow(tree.path("two/gone.txt"), tree.path("one/gone.txt"))}));
  EXPECT_TRUE(host.errorReports.empty());
}

// Same-named pairs 1 to 4 seconds apart either way, and pairs with a file without a time:
// each rule reports just the pairs further apart than its window, and no time is never
// within a window of a time.
TEST(ClassificationTest, TimeRuleDecidesHowFarApartEqualTimesMayBe) {
  struct Pair {
    std::string a, b;
    std::optional<std::int64_t> timeA, timeB;
  };
  std::vector<Pair> pairs;
  for (const std::int64_t seconds : {1, 2, 3, 4}) {
    const std::string later = "later" + std::to_string(seconds);
    const std::string earlier = "earlier" + std::to_string(seconds);
    pairs.push_back(
        {nativePath("/a/" + later), nativePath("/b/" + later), kDay + 1 + seconds, kDay + 1});
    pairs.push_back(
        {nativePath("/a/" + earlier), nativePath("/b/" + earlier), kDay + 1, kDay + 1 + seconds});
  }
  pairs.push_back({nativePath("/a/none-a"), nativePath("/b/none-a"), std::nullopt, kDay});
  pairs.push_back({nativePath("/a/none-b"), nativePath("/b/none-b"), kDay, std::nullopt});
  TimeTableFileSystem fs;
  std::vector<std::string> a, b;
  for (const Pair& pair : pairs) {
    a.push_back(pair.a);
    b.push_back(pair.b);
    if (pair.timeA) fs.times[pair.a] = fileTimeOf(*pair.timeA);
    if (pair.timeB) fs.times[pair.b] = fileTimeOf(*pair.timeB);
  }

  const std::vector<std::pair<TimeRule, std::int64_t>> rulesAndWindows = {
      {TimeRule::exact(), 0},
      {TimeRule::automatic(false, false), 0},
      {TimeRule::automatic(true, false), 2},
      {TimeRule::automatic(false, true), 2},
      {TimeRule::window(0), 0},
      {TimeRule::window(3), 3},
      {TimeRule::window(-5), 0}};
  for (const auto& [rule, window] : rulesAndWindows) {
    SCOPED_TRACE("window " + std::to_string(window));
    std::vector<Row> expected;
    for (const Pair& pair : pairs) {
      if (pair.timeA && pair.timeB && std::abs(*pair.timeA - *pair.timeB) <= window) continue;
      expected.push_back(pair.timeA > pair.timeB ? overwriteRow(pair.a, pair.b)
                                                 : overwriteRow(pair.b, pair.a));
    }
    RecordingHost host;
    ResultList listView3;
    ListNewerOlderPairs(fileListOf(a), fileListOf(b), listView3, host, fs, rule);
    EXPECT_EQ(rowsOf(listView3), expected);
  }

  // The window holds at the ends of the range, and no time stays apart from the earliest.
  const DateTime earliest =
      DateTime::fromLocalSeconds(std::numeric_limits<std::int64_t>::min() + 1);
  const DateTime latest = DateTime::fromLocalSeconds(std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(compareWithin(DateTime::none(), earliest, 2), -1);
  EXPECT_EQ(compareWithin(earliest, DateTime::none(), 2), 1);
  EXPECT_EQ(compareWithin(DateTime::none(), DateTime::none(), 2), 0);
  EXPECT_EQ(compareWithin(latest, earliest, 2), 1);
  EXPECT_EQ(compareWithin(earliest, latest, std::numeric_limits<std::uint64_t>::max()), 0);
}

// A side restored from an archive shows 2-second steps only through many distinct even times:
// one odd time anywhere, or too few distinct times however often repeated, prove nothing.
TEST(ClassificationTest, SixteenDistinctEvenTimesAndNoOddOneShowTwoSecondSteps) {
  const auto shows = [](const std::vector<std::int64_t>& times) {
    TwoSecondStepEvidence evidence;
    for (const std::int64_t time : times) evidence.add(time);
    return evidence.showsTwoSecondSteps();
  };
  const auto evenTimes = [](std::int64_t first, int distinct, int repeats) {
    std::vector<std::int64_t> times;
    for (int r = 0; r < repeats; ++r) {
      for (int k = 0; k < distinct; ++k) times.push_back(first + 2 * k);
    }
    return times;
  };
  const auto with = [](std::vector<std::int64_t> times, std::int64_t time, bool first) {
    times.insert(first ? times.begin() : times.end(), time);
    return times;
  };

  EXPECT_TRUE(shows(evenTimes(kDay, 16, 1)));
  EXPECT_TRUE(shows(evenTimes(kDay, 40, 3)));
  EXPECT_TRUE(shows(evenTimes(-kDay, 16, 2)));
  EXPECT_FALSE(shows(evenTimes(kDay, 15, 100)));
  EXPECT_FALSE(shows(evenTimes(kDay, 2, 1000)));
  EXPECT_FALSE(shows({}));
  EXPECT_FALSE(shows(with(evenTimes(kDay, 40, 3), kDay + 7, false)));
  EXPECT_FALSE(shows(with(evenTimes(kDay, 40, 3), kDay + 7, true)));
  EXPECT_FALSE(shows(with(evenTimes(-kDay, 16, 2), -kDay - 3, false)));
}

}  // namespace
}  // namespace plovane::test
