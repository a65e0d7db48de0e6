#include "platform/output_file.h"

#include "platform/file_system.h"

namespace plovane::platform {

namespace {

// Room for "~" and a suffix within the 255 bytes (POSIX) or UTF-16 units (Windows) that a
// name may hold; a byte of UTF-8 is never less than a UTF-16 unit.
constexpr std::size_t kNameStartLimit = 200;

bool isContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Windows also ends a drive's part of the path ("C:report.txt") with a colon.
bool isSeparator(char c) {
  return c == kSeparator || c == '/' || (kSeparator == '\\' && c == ':');
}

}  // namespace

std::string temporarySiblingPrefix(std::string_view target) {
  std::size_t nameStart = target.size();
  while (nameStart > 0 && !isSeparator(target[nameStart - 1])) --nameStart;
  std::string_view name = target.substr(nameStart);
  if (name.size() > kNameStartLimit) {
    std::size_t cut = kNameStartLimit;
    while (cut > 0 && isContinuationByte(name[cut])) --cut;  // never half a character
    name = name.substr(0, cut);
  }
  std::string prefix(target.substr(0, nameStart));
  prefix += '~';
  prefix += name;
  return prefix;
}

}  // namespace plovane::platform
