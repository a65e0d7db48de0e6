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

PathLimit::PathLimit(std::string_view folder)
    : folderLength_(pathLength(folder) + (!folder.empty() && folder.back() == kSeparator ? 0 : 1)) {
}

bool PathLimit::fits(std::string_view name, EntryKind kind) const {
  return folderLength_ + pathLength(name) + (kind == EntryKind::kFolder ? 1 : 0) < kPathLimit;
}

}  // namespace plovane::platform
