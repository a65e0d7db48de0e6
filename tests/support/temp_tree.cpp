#include "temp_tree.h"

#include <fstream>
#include <stdexcept>

#include "host_files.h"
#include "platform/file_system.h"

namespace plovane::test {

namespace {

// The UTF-8 text as a path; on Windows the library would read a plain string in the ANSI
// code page instead.
std::filesystem::path pathOfUtf8(const std::string& text) {
#ifdef _WIN32
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
#else
  return std::filesystem::path(text);
#endif
}

}  // namespace

std::string nativePath(std::string relative) {
  for (char& c : relative) c = c == '/' ? platform::kSeparator : c;
  return relative;
}

std::string portablePath(std::string path) {
  for (char& c : path) c = c == platform::kSeparator ? '/' : c;
  return path;
}

TempTree::TempTree() : root_(host::makeTemporaryFolder()) {}

TempTree::~TempTree() {
  for (auto link = links_.rbegin(); link != links_.rend(); ++link) host::removeLink(*link);
  std::error_code ignored;
  std::filesystem::remove_all(pathOfUtf8(root_), ignored);
}

std::string TempTree::root() const {
  return root_ + platform::kSeparator;
}

std::string TempTree::path(const std::string& relative) const {
  return root() + nativePath(relative);
}

std::filesystem::path TempTree::fsPath(const std::string& relative) const {
  return pathOfUtf8(path(relative));
}

void TempTree::makeFolder(const std::string& relative) const {
  std::filesystem::create_directories(fsPath(relative));
}

void TempTree::makeFile(const std::string& relative, std::int64_t unixSeconds,
                        const std::string& content) const {
  const std::filesystem::path file = fsPath(relative);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
  if (unixSeconds != 0) setTime(relative, unixSeconds);
}

void TempTree::setTime(const std::string& relative, std::int64_t unixSeconds) const {
  if (!host::setLastWriteTime(path(relative), unixSeconds)) {
    throw std::runtime_error("cannot set the time of " + relative);
  }
}

void TempTree::makeLink(const std::string& relative, const std::string& target) const {
  std::filesystem::create_directories(fsPath(relative).parent_path());
  host::makeLink(path(relative), nativePath(target));
  links_.push_back(path(relative));
}

void TempTree::remove(const std::string& relative) const {
  std::filesystem::remove_all(fsPath(relative));
}

bool TempTree::canMakeLinks(std::string& reason) {
  return host::canMakeLinks(reason);
}

}  // namespace plovane::test
