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

// The local last-write times of the wanted entries of a list (no time for the others). The
// entries of one folder stand together in the list, so their times are asked for in one
// batch per folder, in list order. Each time read is shown to the evidence.
platform::ListVector<DateTime> readTimes(const FileList& list, const std::vector<bool>& wanted,
                                         const platform::FileSystem& fs,
                                         std::int64_t utcOffsetSeconds,
                                         TwoSecondStepEvidence& evidence, Host& host) {
  platform::ListVector<DateTime> times(list.size(), DateTime::none());
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
      if (!fileTimes[k]) continue;
      evidence.add(*fileTimes[k]);
      times[batch[k]] = FileTimeToLocalDate(*fileTimes[k], utcOffsetSeconds);
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
  platform::ListVector<SharedText> paths_;
};

}  // namespace

std::string_view FileNameOfPath(std::string_view path) {
  const std::size_t separator = path.rfind(platform::kSeparator);
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

NamePairing::NamePairing(const FileList& a, const FileList& b, Host& host)
    : a_(a),
      b_(b),
      indexOfB_(b, host),
      firstMatchOfA_(a.size(), NameIndex::kEnd),
      pairedA_(a.size(), false),
      pairedB_(b.size(), false) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    host.yield();
    const std::uint32_t first = indexOfB_.first(a.fileName(i));
    firstMatchOfA_[i] = first;
    if (first == NameIndex::kEnd) continue;
    pairedA_[i] = true;
    if (pairedB_[first]) continue;
    for (std::uint32_t j = first; j != NameIndex::kEnd; j = indexOfB_.next(j)) pairedB_[j] = true;
  }
}

FileList NamePairing::onlyInA(Host& host) const {
  return unpaired(a_, pairedA_, host);
}

FileList NamePairing::onlyInB(Host& host) const {
  return unpaired(b_, pairedB_, host);
}

FileList NamePairing::unpaired(const FileList& list, const std::vector<bool>& paired, Host& host) {
  FileList result;
  for (std::size_t i = 0; i < list.size(); ++i) {
    host.yield();
    if (!paired[i]) result.appendEntryOf(list, i);
  }
  return result;
}

FileList FilesNotInOtherList(const FileList& a, const FileList& b, Host& host) {
  return NamePairing(a, b, host).onlyInA(host);
}

void ListNewerOlderPairs(const FileList& a, const FileList& b, ResultList& listView3, Host& host,
                         const platform::FileSystem& fs, const TimeRule& rule) {
  ListNewerOlderPairs(NamePairing(a, b, host), listView3, host, fs, rule);
}

void ListNewerOlderPairs(const NamePairing& pairing, ResultList& listView3, Host& host,
                         const platform::FileSystem& fs, const TimeRule& rule) {
  const FileList& a = pairing.a();
  const FileList& b = pairing.b();
  // Each file's time is read once, however many pairs it is part of. One offset serves the
  // whole call: every file is shifted alike, so the order is that of universal time.
  const std::int64_t utcOffsetSeconds = fs.utcOffsetSeconds();
  TwoSecondStepEvidence evidenceOfA;
  TwoSecondStepEvidence evidenceOfB;
  const platform::ListVector<DateTime> timesOfA =
      readTimes(a, pairing.pairedA(), fs, utcOffsetSeconds, evidenceOfA, host);
  const platform::ListVector<DateTime> timesOfB =
      readTimes(b, pairing.pairedB(), fs, utcOffsetSeconds, evidenceOfB, host);
  // Every pair joins one file of each side, so one window serves the whole call.
  const std::uint64_t window =
      rule.windowGiven(evidenceOfA.showsTwoSecondSteps(), evidenceOfB.showsTwoSecondSteps());

  RowPaths pathsOfA(a);
  RowPaths pathsOfB(b);
  const SharedText overwrites(kOverwritesText);
  for (std::size_t i = 0; i < a.size(); ++i) {
    host.yield();
    for (std::uint32_t j = pairing.firstMatchOfA(i); j != NameIndex::kEnd;
         j = pairing.nextMatch(j)) {
      host.yield();
      const int order = compareWithin(timesOfA[i], timesOfB[j], window);
      if (order > 0) {
        listView3.appendRow(pathsOfA[i], overwrites, pathsOfB[j]);
      } else if (order < 0) {
        listView3.appendRow(pathsOfB[j], overwrites, pathsOfA[i]);
      }
    }
  }
}

}  // namespace plovane
