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

void FileSystem::lastWriteFileTimes(const std::string& prefix,
                                    std::span<const std::string_view> names,
                                    std::span<std::optional<std::int64_t>> times) const {
  std::string path = prefix;
  for (std::size_t k = 0; k < names.size(); ++k) {
    path.resize(prefix.size());
    path.append(names[k]);
    times[k] = lastWriteFileTime(path);
  }
}

}  // namespace plovane::platform
