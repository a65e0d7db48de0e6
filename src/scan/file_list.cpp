#include "scan/file_list.h"

#include <limits>
#include <stdexcept>

#include "platform/file_system.h"

namespace plovane {

void FileList::append(const SharedText& prefix, std::string_view name) {
  if (names_.size() + name.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("File list too long");
  }
  const auto offset = static_cast<std::uint32_t>(names_.size());
  names_.append(name);
  entries_.push_back(Entry{prefix, offset, static_cast<std::uint32_t>(name.size())});
}

void FileList::reserve(std::size_t entries) noexcept {
  try {
    entries_.reserve(entries);
  } catch (const std::exception&) {
    // The list grows as entries come.
  }
}

void FileList::appendPath(std::string_view path) {
  const std::size_t separator = path.rfind(platform::kSeparator);
  if (separator == std::string_view::npos) {
    append(SharedText(), path);
  } else {
    append(SharedText(path.substr(0, separator + 1)), path.substr(separator + 1));
  }
}

std::string FileList::path(std::size_t index) const {
  const Entry& entry = entries_[index];
  std::string result;
  result.reserve(entry.prefix.size() + entry.nameLength);
  result.append(entry.prefix.view());
  result.append(fileName(index));
  return result;
}

SharedText FileList::sharedPath(std::size_t index) const {
  return SharedText::concat(entries_[index].prefix.view(), fileName(index));
}

std::string_view FileList::fileName(std::size_t index) const {
  const Entry& entry = entries_[index];
  return std::string_view(names_).substr(entry.nameOffset, entry.nameLength);
}

std::vector<std::string> FileList::paths() const {
  std::vector<std::string> result;
  result.reserve(size());
  for (std::size_t i = 0; i < size(); ++i) result.push_back(path(i));
  return result;
}

void FileList::appendEntryOf(const FileList& other, std::size_t index) {
  append(other.entries_[index].prefix, other.fileName(index));
}

}  // namespace plovane
