#include "scan/file_lists.h"

#include <algorithm>
#include <limits>

#include "common/failure.h"
#include "platform/file_system.h"

namespace plovane {

NameList GetFilesInFolder(const platform::FileSystem& fs, std::string folder,
                          std::string_view pattern) {
  if (folder.empty() || folder.back() != platform::kSeparator) folder += platform::kSeparator;
  NameList names;
  try {
    fs.forEachFile(folder, [&](std::string_view name) {
      if (matchesPattern(name, pattern)) names.emplace_back(name);
    });
  } catch (const Failure& failure) {
    // A folder that does not exist lists no files; that is not a failure.
    if (failure.code() != failure_code::kPathNotFound) throw;
  }
  return names;
}

bool IsExistingFile(const platform::FileSystem& fs, const std::string& path) {
  return fs.isExistingFile(path);
}

DateTime GetFileLastModified(const platform::FileSystem& fs, const std::string& path) {
  const std::optional<platform::UnixSeconds> time = fs.lastWriteTime(path);
  if (!time) return DateTime::none();
  return FileTimeToLocalDate(*time, fs.utcOffsetSeconds());
}

DateTime FileTimeToLocalDate(std::int64_t unixSeconds, std::int64_t utcOffsetSeconds) {
  constexpr std::int64_t kEarliest = std::numeric_limits<std::int64_t>::min() + 1;  // not "none"
  constexpr std::int64_t kLatest = std::numeric_limits<std::int64_t>::max();
  // The sum saturates: a time at either end of the range stays there.
  if (utcOffsetSeconds > 0 && unixSeconds > kLatest - utcOffsetSeconds) {
    return DateTime::fromLocalSeconds(kLatest);
  }
  if (utcOffsetSeconds < 0 && unixSeconds < kEarliest - utcOffsetSeconds) {
    return DateTime::fromLocalSeconds(kEarliest);
  }
  return DateTime::fromLocalSeconds(std::max(unixSeconds + utcOffsetSeconds, kEarliest));
}

bool PathExists(const platform::FileSystem& fs, const std::string& path) {
  return fs.canReadChangeTime(path);
}

bool matchesPattern(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  // Wildcard match with backtracking to the last "*".
  std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++n, ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++, starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1, n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace plovane
