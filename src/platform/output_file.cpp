#include "platform/output_file.h"

#include <utility>

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

// Where the file lies and what it is called: "." for a bare name; a root folder or a drive
// ("/", "C:\\", "C:") keeps its separator.
std::pair<std::string, std::string> folderAndName(std::string_view path) {
  std::size_t nameStart = path.size();
  while (nameStart > 0 && !isSeparator(path[nameStart - 1])) --nameStart;
  if (nameStart == 0) return {".", std::string(path)};
  std::string_view folder = path.substr(0, nameStart);
  const bool isRootOrDrive =
      folder.size() == 1 || folder.back() == ':' || (folder.size() == 3 && folder[1] == ':');
  if (!isRootOrDrive) folder.remove_suffix(1);
  return {std::string(folder), std::string(path.substr(nameStart))};
}

}  // namespace

void checkCanReplace(const std::string& target) {
  ReplacingFile probe(target);
  probe.discard();
}

bool isSameFile(const std::string& a, const std::string& b) {
  const auto identityOfA = fileIdentity(a);
  const auto identityOfB = fileIdentity(b);
  if (identityOfA || identityOfB) return identityOfA == identityOfB;
  // Neither exists yet: the same name in the same folder.
  const auto [folderOfA, nameOfA] = folderAndName(a);
  const auto [folderOfB, nameOfB] = folderAndName(b);
  if (!isSameFileName(nameOfA, nameOfB)) return false;
  const auto folderA = fileIdentity(folderOfA);
  return folderA ? folderA == fileIdentity(folderOfB) : isSameFileName(folderOfA, folderOfB);
}

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
