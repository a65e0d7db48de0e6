#include "export/report_file.h"

#include <cerrno>

#include "common/failure.h"
#include "platform/output_file.h"

namespace plovane {

namespace {

// Large enough that a report of a million rows costs a few hundred system calls.
constexpr std::size_t kBlockSize = std::size_t{1} << 20;

[[noreturn]] void failNotOpen() {
  throw Failure("No file is open to write to");
}

// The failure that the last call of the C library left in errno. A stream that failed
// without saying why still failed.
[[noreturn]] void failFromErrno(int error) {
  throw failureFromErrno(error != 0 ? error : EIO);
}

// Writes the block and empties it, whatever the outcome: bytes that could not be written are
// reported now, not once more with the next block.
void writeBlock(std::FILE* file, std::string& block) {
  const std::size_t size = block.size();
  errno = 0;
  const bool written = std::fwrite(block.data(), 1, size, file) == size;
  const int error = errno;
  block.clear();
  if (!written) failFromErrno(error);
}

}  // namespace

ReportFile::~ReportFile() {
  if (file_) std::fclose(file_);
}

void ReportFile::open(const std::string& path) {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
  }
  pending_.clear();
  std::FILE* file = platform::openFileForWriting(path);
  // The blocks are buffer enough; the stream's own buffer would only copy them once more.
  std::setvbuf(file, nullptr, _IONBF, 0);
  file_ = file;
  pending_.reserve(kBlockSize + kBlockSize / 4);
}

void ReportFile::writeLine(std::string_view text) {
  if (!file_) failNotOpen();
  pending_ += platform::inReportEncoding(text, scratch_);
  pending_ += "\r\n";
  if (pending_.size() >= kBlockSize) writeBlock(file_, pending_);
}

void ReportFile::close() {
  if (!file_) failNotOpen();
  std::FILE* file = file_;
  file_ = nullptr;
  try {
    if (!pending_.empty()) writeBlock(file, pending_);
  } catch (...) {
    std::fclose(file);
    throw;
  }
  errno = 0;
  if (std::fclose(file) != 0) failFromErrno(errno);
}

}  // namespace plovane
