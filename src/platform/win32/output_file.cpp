// Report files on Windows: opened through the wide interface, so that every name the file
// system holds can be written to, and filled with text in the ANSI code page.

#include "platform/win32/windows_api.h"

#include <cerrno>
#include <cstdio>

#include "common/failure.h"
#include "platform/output_file.h"
#include "platform/win32/wide_text.h"

namespace plovane::platform {

namespace {

using win32::toWide;

bool isAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::FILE* openFileForWriting(const std::string& path) {
  std::FILE* file = _wfopen(toWide(path).c_str(), L"wb");
  if (!file) throw failureFromErrno(errno);
  return file;
}

std::string_view inReportEncoding(std::string_view text, std::string& scratch) {
  // Every ANSI code page keeps the ASCII characters as they are.
  if (isAscii(text)) return text;
  const std::wstring wide = toWide(text);
  const int wideSize = static_cast<int>(wide.size());
  const int size =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
  scratch.assign(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), wideSize, scratch.data(), size, nullptr, nullptr);
  return scratch;
}

}  // namespace plovane::platform
