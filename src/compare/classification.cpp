#include "compare/classification.h"

#include <limits>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/date_time.h"
#include "common/host.h"
#include "common/result_list.h"
#include "platform/file_system.h"
#include "scan/file_lists.h"

namespace plovane {

namespace {

// Building an index over a large list yields now and then, so the window keeps up.
constexpr std::size_t kIndexYieldInterval = 4096;

// The entries of a list grouped by file name, each group in list order.
class NameIndex {
 public:
  static constexpr std::uint32_t kEnd = std::numeric_limits<std::uint32_t>::max();

  NameIndex(const FileList& list, Host& host) : next_(list.size(), kEnd) {
    groups_.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (i % kIndexYieldInterval == 0) host.yield();
      const auto index = static_cast<std::uint32_t>(i);
      auto [group, inserted] = groups_.try_emplace(list.fileName(i), Group{index, index});
      if (!inserted) {
        next_[group->second.last] = index;
        group->second.last = index;
      }
    }
  }

  // The first entry bearing the name, or kEnd.
  std::uint32_t first(std::string_view name) const {
    const auto group = groups_.find(name);
    return group == groups_.end() ? kEnd : group->second.first;
  }
  std::uint32_t next(std::uint32_t index) const { return next_[index]; }

 private:
  struct Group {
    std::uint32_t first;
    std::uint32_t last;
  };
  std::unordered_map<std::string_view, Group> groups_;
  std::vector<std::uint32_t> next_;
};

// Times and row texts of one list's files, each made at most once.
class FileFacts {
 public:
  FileFacts(const FileList& list, const platform::FileSystem& fs, std::int64_t utcOffsetSeconds)
      : list_(list), fs_(fs), utcOffsetSeconds_(utcOffsetSeconds), times_(list.size()),
        paths_(list.size()) {}

  DateTime time(std::size_t index) {
    std::optional<DateTime>& time = times_[index];
    if (!time) {
      const std::optional<std::int64_t> fileTime = fs_.lastWriteFileTime(list_.path(index));
      time = fileTime ? FileTimeToLocalDate(*fileTime, utcOffsetSeconds_) : DateTime::none();
    }
    return *time;
  }

  const SharedText& path(std::size_t index) {
    SharedText& path = paths_[index];
    if (path.empty()) path = SharedText::concat(list_.prefix(index).view(), list_.fileName(index));
    return path;
  }

 private:
  const FileList& list_;
  const platform::FileSystem& fs_;
  std::int64_t utcOffsetSeconds_;
  std::vector<std::optional<DateTime>> times_;
  std::vector<SharedText> paths_;
};

}  // namespace

std::string_view FileNameOfPath(std::string_view path) {
  const std::size_t separator = path.rfind(platform::kSeparator);
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

FileList FilesNotInOtherList(const FileList& a, const FileList& b, Host& host) {
  std::unordered_set<std::string_view> namesOfB;
  namesOfB.reserve(b.size());
  for (std::size_t j = 0; j < b.size(); ++j) {
    if (j % kIndexYieldInterval == 0) host.yield();
    namesOfB.insert(b.fileName(j));
  }
  FileList result;
  for (std::size_t i = 0; i < a.size(); ++i) {
    host.yield();
    if (namesOfB.count(a.fileName(i)) == 0) result.appendEntryOf(a, i);
  }
  return result;
}

void ListNewerOlderPairs(const FileList& a, const FileList& b, ResultList& listView3, Host& host,
                         const platform::FileSystem& fs) {
  const NameIndex indexOfB(b, host);
  // One offset for the whole call: every file is shifted alike, so the order is that of
  // universal time even when the offset changes during the run.
  const std::int64_t utcOffsetSeconds = fs.utcOffsetSeconds();
  FileFacts factsOfA(a, fs, utcOffsetSeconds);
  FileFacts factsOfB(b, fs, utcOffsetSeconds);
  const SharedText overwrites(kOverwritesText);

  for (std::size_t i = 0; i < a.size(); ++i) {
    host.yield();
    for (std::uint32_t j = indexOfB.first(a.fileName(i)); j != NameIndex::kEnd;
         j = indexOfB.next(j)) {
      host.yield();
      const DateTime timeOfA = factsOfA.time(i);
      const DateTime timeOfB = factsOfB.time(j);
      if (timeOfA > timeOfB) {
        listView3.appendRow(factsOfA.path(i), overwrites, factsOfB.path(j));
      } else if (timeOfA < timeOfB) {
        listView3.appendRow(factsOfB.path(j), overwrites, factsOfA.path(i));
      }
    }
  }
}

}  // namespace plovane
