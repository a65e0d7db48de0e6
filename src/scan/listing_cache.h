#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/file_system.h"
#include "scan/file_lists.h"
#include "scan/scan_progress.h"

namespace plovane {

// A file system that lists each folder once. The sub-folder listing of the tree enumeration
// reads the whole folder anyway; the names of its files are kept and answer the file listing
// that follows, instead of a second read of the same folder. Each kept listing is answered
// once and then dropped. Everything else goes to the file system underneath.
class ListingCache : public platform::FileSystem {
 public:
  // Each folder listed for its sub-folders, and the files in it, are counted in progress.
  explicit ListingCache(const platform::FileSystem& inner, ScanProgress* progress = nullptr)
      : inner_(inner), progress_(progress) {}

  // A hint that the walk of side 0 or 1 will start at this folder; a plain cache reads
  // nothing ahead.
  virtual void readAhead(const std::string& /*folder*/, int /*side*/) {}

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
  bool hasTwoSecondTimes(const std::string& folder) const override;
  bool isRemote(const std::string& folder) const override;
  std::int64_t utcOffsetSeconds() const override;

 protected:
  void countListed(std::size_t files) const;
  static std::string withFinalSeparator(std::string_view folder);

  const platform::FileSystem& inner_;

 private:
  ScanProgress* progress_;
  mutable std::unordered_map<std::string, NameList> files_;
};

}  // namespace plovane
