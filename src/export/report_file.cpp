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

}  // namespace

ReportFile::ReportFile() = default;

ReportFile::~ReportFile() {
  giveUp();
}

void ReportFile::open(const std::string& path) {
  giveUp();
  replacing_ = std::make_unique<platform::ReplacingFile>(path);
  start(replacing_->stream());
}

void ReportFile::openStream(std::FILE* stream) {
  giveUp();
  start(stream);
}

void ReportFile::start(std::FILE* stream) {
  failed_ = false;
  pending_.clear();
  // The blocks are buffer enough; the stream's own buffer would only copy them once more.
  std::setvbuf(stream, nullptr, _IONBF, 0);
  file_ = stream;
  pending_.reserve(kBlockSize + kBlockSize / 4);
}

void ReportFile::writeLine(std::string_view text) {
  if (failed_) return;
  if (!file_) failNotOpen();
  pending_ += platform::inReportEncoding(text, scratch_);
  pending_ += "\r\n";
  if (pending_.size() >= kBlockSize) writeBlock();
}

void ReportFile::close() {
  if (failed_) {
    failed_ = false;  // told once, at the write that failed
    return;
  }
  if (!file_) failNotOpen();
  if (!pending_.empty()) writeBlock();
  std::FILE* file = file_;
  file_ = nullptr;
  if (!replacing_) {
    errno = 0;
    if (std::fflush(file) != 0) throw failureFromErrno(errno != 0 ? errno : EIO);
    return;
  }
  const std::unique_ptr<platform::ReplacingFile> replacing = std::move(replacing_);
  replacing->commit();
}

// Writes the block and empties it, whatever the outcome. A block that cannot be written
// gives the file up: its end would be missing.
void ReportFile::writeBlock() {
  const std::size_t size = pending_.size();
  errno = 0;
  const bool written = std::fwrite(pending_.data(), 1, size, file_) == size;
  const int error = errno;
  pending_.clear();
  if (written) return;
  giveUp();
  failed_ = true;
  throw failureFromErrno(error != 0 ? error : EIO);
}

void ReportFile::giveUp() noexcept {
  if (replacing_) replacing_->discard();
  replacing_.reset();
  file_ = nullptr;
  pending_.clear();
}

}  // namespace plovane
