#include "platform/file_system.h"

namespace plovane::platform {

void FileSystem::forEachSubFolder(const std::string& folder, const NameVisitor& visit) const {
  forEachEntry(folder, [&](std::string_view name, EntryKind kind) {
    if (kind == EntryKind::kFolder) visit(name);
  });
}

void FileSystem::forEachFile(const std::string& folder, const NameVisitor& visit) const {
  forEachEntry(folder, [&](std::string_view name, EntryKind kind) {
    if (kind == EntryKind::kFile) visit(name);
  });
}

void FileSystem::lastWriteTimes(const std::string& prefix, std::span<const std::string_view> names,
                                std::span<std::optional<UnixSeconds>> times) const {
  std::string path = prefix;
  for (std::size_t k = 0; k < names.size(); ++k) {
    path.resize(prefix.size());
    path.append(names[k]);
    times[k] = lastWriteTime(path);
  }
}

FolderReading FileSystem::readFolder(const std::string& folder) const {
  FolderReading reading;
  try {
    forEachEntry(folder, [&](std::string_view name, EntryKind kind) {
      if (kind == EntryKind::kFolder) {
        reading.subFolders.push_back({std::string(name), std::nullopt, nullptr});
      } else {
        reading.files.emplace_back(name);
      }
    });
  } catch (...) {
    reading.listingFailure = std::current_exception();
  }
  if (!reading.listingFailure) {
    const std::vector<std::string_view> names(reading.files.begin(), reading.files.end());
    reading.times.resize(names.size());
    lastWriteTimes(folder, names, reading.times);
  }
  for (FolderReading::SubFolder& sub : reading.subFolders) {
    try {
      sub.info = folderInfo(folder + sub.name + kSeparator);
    } catch (...) {
      sub.infoFailure = std::current_exception();
    }
  }
  return reading;
}

PathLimit::PathLimit(std::string_view folder)
    : folderLength_(pathLength(folder) + (!folder.empty() && folder.back() == kSeparator ? 0 : 1)) {
}

bool PathLimit::fits(std::string_view name, EntryKind kind) const {
  return folderLength_ + pathLength(name) + (kind == EntryKind::kFolder ? 1 : 0) < kPathLimit;
}

}  // namespace plovane::platform
