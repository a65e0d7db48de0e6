#include "compare/classification.h"

#include <optional>
#include <string>
#include <vector>

#include "common/date_time.h"
#include "common/host.h"
#include "common/result_list.h"
#include "compare/name_index.h"
#include "platform/file_system.h"
#include "scan/file_lists.h"

namespace plovane {

namespace {

// Which entries of a and of b take part in at least one same-name pair, and for each entry
// of a the first entry of b bearing its name.
struct Pairing {
  std::vector<std::uint32_t> firstMatchOfA;
  std::vector<bool> pairedA;
  std::vector<bool> pairedB;
};

Pairing pairUp(const FileList& a, const FileList& b, const NameIndex& indexOfB, Host& host) {
  Pairing pairing{std::vector<std::uint32_t>(a.size(), NameIndex::kEnd),
                  std::vector<bool>(a.size(), false), std::vector<bool>(b.size(), false)};
  for (std::size_t i = 0; i < a.size(); ++i) {
    host.yield();
    const std::uint32_t first = indexOfB.first(a.fileName(i));
    pairing.firstMatchOfA[i] = first;
    if (first == NameIndex::kEnd) continue;
    pairing.pairedA[i] = true;
    if (pairing.pairedB[first]) continue;
    for (std::uint32_t j = first; j != NameIndex::kEnd; j = indexOfB.next(j)) {
      pairing.pairedB[j] = true;
    }
  }
  return pairing;
}

// The local last-write times of the wanted entries of a list (no time for the others). The
// entries of one folder stand together in the list, so their times are asked for in one
// batch per folder, in list order.
std::vector<DateTime> readTimes(const FileList& list, const std::vector<bool>& wanted,
                                const platform::FileSystem& fs, std::int64_t utcOffsetSeconds,
                                Host& host) {
  std::vector<DateTime> times(list.size(), DateTime::none());
  std::vector<std::size_t> batch;
  std::vector<std::string_view> names;
  std::vector<std::optional<platform::UnixSeconds>> fileTimes;
  std::string prefix;

  const auto readBatch = [&] {
    if (batch.empty()) return;
    host.yield();
    fileTimes.assign(batch.size(), std::nullopt);
    fs.lastWriteTimes(prefix, names, fileTimes);
    for (std::size_t k = 0; k < batch.size(); ++k) {
      if (fileTimes[k]) times[batch[k]] = FileTimeToLocalDate(*fileTimes[k], utcOffsetSeconds);
    }
    batch.clear();
    names.clear();
  };

  for (std::size_t i = 0; i < list.size(); ++i) {
    if (!wanted[i]) continue;
    if (!batch.empty() && list.prefix(i).view() != prefix) readBatch();
    if (batch.empty()) prefix.assign(list.prefix(i).view());
    batch.push_back(i);
    names.push_back(list.fileName(i));
  }
  readBatch();
  return times;
}

// The full path of each entry as a row cell, made at most once however many rows name it.
class RowPaths {
 public:
  explicit RowPaths(const FileList& list) : list_(list), paths_(list.size()) {}

  const SharedText& operator[](std::size_t index) {
    SharedText& path = paths_[index];
    if (path.empty()) path = list_.sharedPath(index);
    return path;
  }

 private:
  const FileList& list_;
  std::vector<SharedText> paths_;
};

}  // namespace

std::string_view FileNameOfPath(std::string_view path) {
  const std::size_t separator = path.rfind(platform::kSeparator);
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

FileList FilesNotInOtherList(const FileList& a, const FileList& b, Host& host) {
  const NameIndex indexOfB(b, host);
  FileList result;
  for (std::size_t i = 0; i < a.size(); ++i) {
    host.yield();
    if (indexOfB.first(a.fileName(i)) == NameIndex::kEnd) result.appendEntryOf(a, i);
  }
  return result;
}

void ListNewerOlderPairs(const FileList& a, const FileList& b, ResultList& listView3, Host& host,
                         const platform::FileSystem& fs) {
  const NameIndex indexOfB(b, host);
  const Pairing pairing = pairUp(a, b, indexOfB, host);

  // Each file's time is read once, however many pairs it is part of. One offset serves the
  // whole call: every file is shifted alike, so the order is that of universal time.
  const std::int64_t utcOffsetSeconds = fs.utcOffsetSeconds();
  const std::vector<DateTime> timesOfA = readTimes(a, pairing.pairedA, fs, utcOffsetSeconds, host);
  const std::vector<DateTime> timesOfB = readTimes(b, pairing.pairedB, fs, utcOffsetSeconds, host);

  RowPaths pathsOfA(a);
  RowPaths pathsOfB(b);
  const SharedText overwrites(kOverwritesText);
  for (std::size_t i = 0; i < a.size(); ++i) {
    host.yield();
    for (std::uint32_t j = pairing.firstMatchOfA[i]; j != NameIndex::kEnd; j = indexOfB.next(j)) {
      host.yield();
      if (timesOfA[i] > timesOfB[j]) {
        listView3.appendRow(pathsOfA[i], overwrites, pathsOfB[j]);
      } else if (timesOfA[i] < timesOfB[j]) {
        listView3.appendRow(pathsOfB[j], overwrites, pathsOfA[i]);
      }
    }
  }
}

}  // namespace plovane
