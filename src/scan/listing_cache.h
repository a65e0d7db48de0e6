#pragma once

#include <string>
#include <unordered_map>

#include "platform/file_system.h"
#include "scan/file_lists.h"

namespace plovane {

// A file system that lists each folder once. The sub-folder listing of the tree enumeration
// reads the whole folder anyway; the names of its files are kept and answer the file listing
// that follows, instead of a second read of the same folder. Each kept listing is answered
// once and then dropped. Everything else goes to the file system underneath.
class ListingCache final : public platform::FileSystem {
 public:
  explicit ListingCache(const platform::FileSystem& inner) : inner_(inner) {}

  void forEachEntry(const std::string& folder, const platform::EntryVisitor& visit) const override;
  void forEachSubFolder(const std::string& folder,
                        const platform::NameVisitor& visit) const override;
  void forEachFile(const std::string& folder, const platform::NameVisitor& visit) const override;

  platform::FolderInfo folderInfo(const std::string& path) const override;
  bool isExistingFile(const std::string& path) const override;
  bool isFolder(const std::string& path) const override;
  std::optional<platform::UnixSeconds> lastWriteTime(const std::string& path) const override;
  void lastWriteTimes(const std::string& prefix, std::span<const std::string_view> names,
                      std::span<std::optional<platform::UnixSeconds>> times) const override;
  bool canReadChangeTime(const std::string& path) const override;
  std::int64_t utcOffsetSeconds() const override;

 private:
  const platform::FileSystem& inner_;
  mutable std::unordered_map<std::string, NameList> files_;
};

}  // namespace plovane
