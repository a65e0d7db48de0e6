#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

// Files the program writes, and the encoding of the text it writes into them. Paths are
// UTF-8 text; on POSIX they hold a name's bytes exactly as the file system gave them.
namespace plovane::platform {

// A file that takes the place of its target only once it is complete. It is written under a
// temporary name beside the target, beginning with "~" so that a comparison of that folder
// leaves it out, and renamed over the target when committed, after its bytes have reached the
// disk. Until then the target stays exactly as it was. A file never committed is removed: on
// discard, by the destructor, and when a signal ends the process (POSIX: interrupt,
// termination, hang-up, broken pipe, file size limit; Windows: the console's Ctrl-C, break
// and close events). A target that exists and is no regular file (a device such as
// /dev/null, a pipe) cannot be replaced and is written directly.
class ReplacingFile {
 public:
  // Makes the temporary file. Throws a Failure when the target's folder cannot take it.
  explicit ReplacingFile(const std::string& target);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // The open file, in binary mode; nullptr after commit or discard.
  std::FILE* stream() const noexcept { return stream_; }
  // Where the bytes go until the commit, for a writer that opens files by name.
  const std::string& temporaryPath() const noexcept { return temporary_; }

  // Flushes the file to the disk and renames it over the target, which keeps its permissions
  // where it existed. On failure the temporary file is removed, the target is untouched and a
  // Failure is thrown.
  void commit();
  // Closes and removes the temporary file; the target stays as it was.
  void discard() noexcept;

 private:
  std::string target_;
  std::string temporary_;  // the target itself when it is written directly
  bool direct_ = false;
  std::FILE* stream_ = nullptr;
  int removalSlot_ = -1;
};

// The start of the name of a temporary file beside target: target's folder, "~" and as much
// of target's name as leaves room for a suffix within the system's name limit.
std::string temporarySiblingPrefix(std::string_view target);

// Throws a Failure unless a file can be written in place of target: its folder exists and
// takes a new file, and target is not a folder. Neither target nor anything else is left
// changed (the probe file it makes is gone when it returns).
void checkCanReplace(const std::string& target);

// True when the two paths name the same file: by the file's identity where it exists, else by
// the identity of its folder and its name.
bool isSameFile(const std::string& a, const std::string& b);

// The identity of the file or folder at path, following links; nothing when it cannot be
// examined.
std::optional<FileId> fileIdentity(const std::string& path);

// True when the two names find the same entry of one folder: the same bytes on POSIX; on
// Windows names that differ in case alone.
bool isSameFileName(std::string_view a, std::string_view b);

// Removes the temporary file of every ReplacingFile not yet committed or discarded, for a
// program about to end at once (std::_Exit) in the middle of writing one.
void removeUnfinishedFiles() noexcept;

// Sends what is written to standard error to nowhere while it lives, for a library that
// prints raw messages of its own where the program tells the failure in its own words.
class QuietStandardError {
 public:
  QuietStandardError();
  ~QuietStandardError();
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

 private:
  int saved_ = -1;
};

// A text as a report file holds it: the text itself on POSIX (UTF-8, or a name's bytes as
// the file system gave them), the ANSI code page on Windows, where a character the code
// page lacks becomes the code page's replacement. The result is either the text itself or
// a view of scratch, which the call may overwrite.
std::string_view inReportEncoding(std::string_view text, std::string& scratch);

}  // namespace plovane::platform
