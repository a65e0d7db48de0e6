#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/result_list.h"
#include "host_files.h"
#include "platform/file_system.h"

namespace plovane::test {

// A result row as plain texts, so that a failed expectation prints every cell.
using Row = std::vector<std::string>;

inline std::vector<Row> rowsOf(const ResultList& list) {
  std::vector<Row> rows;
  for (std::size_t r = 0; r < list.rowCount(); ++r) {
    rows.push_back({list.cell(r, 0).str(), list.cell(r, 1).str(), list.cell(r, 2).str()});
  }
  return rows;
}

inline std::vector<bool> checkStatesOf(const ResultList& list) {
  std::vector<bool> states;
  for (std::size_t r = 0; r < list.rowCount(); ++r) states.push_back(list.isChecked(r));
  return states;
}

inline Row onlyHereRow(const std::string& path, const std::string& otherFolder) {
  return {path, " is newer than", otherFolder};
}

inline Row overwriteRow(const std::string& newer, const std::string& older) {
  return {newer, " will overwrite an older", older};
}

inline std::int64_t fileTimeOf(std::int64_t unixSeconds, std::int64_t extraTicks = 0) {
  return (unixSeconds + platform::kFileTimeSecondsAtUnixEpoch) * platform::kFileTimeTicksPerSecond +
         extraTicks;
}

// Sets a file's last-write time to the nanosecond. Answers false when the file system keeps
// coarser times than that, so that a test about fractions of a second can skip.
inline bool setTimeWithNanoseconds(const std::string& path, std::int64_t unixSeconds,
                                   long nanoseconds) {
  return host::setLastWriteTime(path, unixSeconds, nanoseconds);
}

// 31 August 2021, 00:00:00 UTC.
inline constexpr std::int64_t kDay = 1'630'368'000;
inline constexpr std::int64_t kHour = 3'600;

}  // namespace plovane::test
