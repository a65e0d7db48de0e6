#include <cerrno>

#include "common/failure.h"
#include "platform/output_file.h"

namespace plovane::platform {

std::FILE* openFileForWriting(const std::string& path) {
  // "e": the descriptor is not inherited by a program started while the file is open.
  std::FILE* file = std::fopen(path.c_str(), "wbe");
  if (!file) throw failureFromErrno(errno);
  return file;
}

std::string_view inReportEncoding(std::string_view text, std::string& /*scratch*/) {
  return text;
}

}  // namespace plovane::platform
