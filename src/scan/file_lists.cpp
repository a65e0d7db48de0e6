#include "scan/file_lists.h"

#include "common/failure.h"
#include "platform/file_system.h"

namespace plovane {

NameList GetFilesInFolder(const platform::FileSystem& fs, std::string folder,
                          std::string_view pattern) {
  if (folder.empty() || folder.back() != platform::kSeparator) folder += platform::kSeparator;
  NameList names;
  try {
    fs.forEachFile(folder, [&](std::string_view name) {
      if (MatchesPattern(name, pattern)) names.emplace_back(name);
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
  const std::optional<std::int64_t> fileTime = fs.lastWriteFileTime(path);
  if (!fileTime) return DateTime::none();
  return FileTimeToLocalDate(*fileTime, fs.utcOffsetSeconds());
}

DateTime conversionFailedDate() {
  return DateTime::fromLocalSeconds(-DateTime::kOleDaysAtUnixEpoch * DateTime::kSecondsPerDay);
}

DateTime FileTimeToLocalDate(std::int64_t fileTime, std::int64_t utcOffsetSeconds) {
  if (fileTime < 0) return conversionFailedDate();
  // Whole seconds only: the fraction is dropped, never rounded up into the next second.
  const std::int64_t universalSeconds = fileTime / platform::kFileTimeTicksPerSecond;
  const std::int64_t localSeconds = universalSeconds + utcOffsetSeconds;
  if (localSeconds < 0) return conversionFailedDate();
  return DateTime::fromLocalSeconds(localSeconds - platform::kFileTimeSecondsAtUnixEpoch);
}

bool PathExists(const platform::FileSystem& fs, const std::string& path) {
  return fs.canReadChangeTime(path);
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
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
