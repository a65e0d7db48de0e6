#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace plovane {

// A text file written line by line in large blocks, each line in the report encoding and
// ending in CR LF. Every failure (of a write of a block, or of the close) is thrown as a
// Failure when it shows, so a trapped writer reports it at its own step and a file
// that was not fully written never passes for written. Writing to a file that is not open
// fails too: a writer whose file could not be created reports each write it attempts.
class ReportFile {
 public:
  ReportFile() = default;
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;
  // Closes without a report when close() was never reached.
  ~ReportFile();

  // Creates the file, or empties an existing one.
  void open(const std::string& path);

  void writeLine(std::string_view text);

  // Writes out the lines not yet written and closes the file.
  void close();

 private:
  std::FILE* file_ = nullptr;
  // Lines gather here and go to the file in large blocks: one call of the C library per
  // block instead of one or two per line, which would cost as much as the writing itself.
  std::string pending_;
  std::string scratch_;
};

}  // namespace plovane
