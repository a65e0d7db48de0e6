#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Files the program writes, and the encoding of the text it writes into them. Paths are
// UTF-8 text; on POSIX they hold a name's bytes exactly as the file system gave them.
namespace plovane::platform {

// Opens a file for writing in binary mode, creating it or emptying an existing one.
// Throws a Failure (permission denied, path not found, ...) when it cannot.
std::FILE* openFileForWriting(const std::string& path);

// A text as a report file holds it: the text itself on POSIX (UTF-8, or a name's bytes as
// the file system gave them), the ANSI code page on Windows, where a character the code
// page lacks becomes the code page's replacement. The result is either the text itself or
// a view of scratch, which the call may overwrite.
std::string_view inReportEncoding(std::string_view text, std::string& scratch);

}  // namespace plovane::platform
