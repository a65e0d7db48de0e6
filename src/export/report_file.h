#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace plovane {

namespace platform {
class ReplacingFile;
}

// A text file written line by line in large blocks, each line in the report encoding and
// ending in CR LF. A named file takes the place of an existing one only when it is complete:
// until close() succeeds, the file of that name stays as it was. Every failure (of a write of
// a block, or of the close) is thrown as a Failure when it shows, so a trapped writer reports
// it at its own step and a file that was not fully written never passes for written. After a
// failed write the file is given up: the lines that follow are dropped without a second
// report, and close() leaves the old file in place. Writing to a file that is not open fails
// too: a writer whose file could not be created reports each write it attempts.
class ReportFile {
 public:
  ReportFile();
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;
  // Gives up a file whose close() was never reached.
  ~ReportFile();

  // Starts the file of that name. Throws when its folder cannot take it.
  void open(const std::string& path);
  // Writes to a stream the caller owns, such as standard output, and leaves it open.
  void openStream(std::FILE* stream);

  void writeLine(std::string_view text);

  // Writes out the lines not yet written and puts the file in its place.
  void close();

 private:
  void start(std::FILE* stream);
  void writeBlock();
  void giveUp() noexcept;

  std::unique_ptr<platform::ReplacingFile> replacing_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
  // Lines gather here and go to the file in large blocks: one call of the C library per
  // block instead of one or two per line, which would cost as much as the writing itself.
  std::string pending_;
  std::string scratch_;
};

}  // namespace plovane
