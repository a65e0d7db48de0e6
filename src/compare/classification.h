#pragma once

#include <string_view>

#include "scan/file_list.h"

namespace plovane {

class Host;
class ResultList;
namespace platform {
class FileSystem;
}

inline constexpr std::string_view kOnlyHereText = " is newer than";
inline constexpr std::string_view kOverwritesText = " will overwrite an older";

// The text after the last separator of the path, or the whole path when it holds none.
std::string_view FileNameOfPath(std::string_view path);

// The entries of a whose file name is the file name of no entry of b, in the order of a,
// duplicates kept. Names are equal only when they are the same text, case included.
// Runs in linear expected time; yields to the host once per entry of a.
FileList FilesNotInOtherList(const FileList& a, const FileList& b, Host& host);

// Appends to listView3 a row for every pair of same-named files, one from a and one from b,
// whose last-write times differ: the newer path, " will overwrite an older", the older path.
// Rows come in the order of a, and for one entry of a in the order of b; a name found m
// times in a and n times in b gives up to m x n rows. A file whose time cannot be read is
// older than every file that has one. Each file's time is read once.
void ListNewerOlderPairs(const FileList& a, const FileList& b, ResultList& listView3, Host& host,
                         const platform::FileSystem& fs);

}  // namespace plovane
