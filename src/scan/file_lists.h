#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/date_time.h"

namespace plovane {

namespace platform {
class FileSystem;
}

// The names (not paths) of the files in one folder, in listing order.
using NameList = std::vector<std::string>;

// The files of one folder (not of its sub-folders) whose names match the pattern, hidden
// ones included. The folder may end with the separator or not. A folder that does not
// exist gives an empty list; any other failure to list the folder is thrown to the caller.
// The only pattern in use is "*.*", which matches every name.
NameList GetFilesInFolder(const platform::FileSystem& fs, std::string folder,
                          std::string_view pattern);

// True when the path names an existing file that can be opened; false for a folder, a
// missing path or an entry whose status cannot be read.
bool IsExistingFile(const platform::FileSystem& fs, const std::string& path);

// The file's local last-write time to the whole second, or no time when it cannot be found.
DateTime GetFileLastModified(const platform::FileSystem& fs, const std::string& path);

// A file's last-write time as the platform reports it (whole seconds since 1970, universal
// time) as a local date-time, using the given offset from universal time. Every time
// converts and keeps its order; only the few seconds within the offset of the ends of the
// 64-bit range meet at those ends.
DateTime FileTimeToLocalDate(std::int64_t unixSeconds, std::int64_t utcOffsetSeconds);

// True when the date and time of last change of the path can be read. Never fails.
bool PathExists(const platform::FileSystem& fs, const std::string& path);

// True when name matches the pattern ("*" any run, "?" any one character; "*.*" every name).
bool matchesPattern(std::string_view name, std::string_view pattern);

}  // namespace plovane
