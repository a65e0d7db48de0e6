#include "scan/listing_cache.h"

namespace plovane {

std::string ListingCache::withFinalSeparator(std::string_view folder) {
  std::string key(folder);
  if (key.empty() || key.back() != platform::kSeparator) key += platform::kSeparator;
  return key;
}

void ListingCache::forEachEntry(const std::string& folder,
                                const platform::EntryVisitor& visit) const {
  inner_.forEachEntry(folder, visit);
}

void ListingCache::forEachSubFolder(const std::string& folder,
                                    const platform::NameVisitor& visit) const {
  const std::string key = withFinalSeparator(folder);
  NameList files;
  inner_.forEachEntry(folder, [&](std::string_view name, platform::EntryKind kind) {
    if (kind == platform::EntryKind::kFolder) {
      visit(name);
    } else {
      files.emplace_back(name);
    }
  });
  countListed(files.size());
  // Only a complete listing is kept: after a failure the file listing reads afresh.
  files_.insert_or_assign(key, std::move(files));
}

void ListingCache::forEachFile(const std::string& folder,
                               const platform::NameVisitor& visit) const {
  const auto kept = files_.find(withFinalSeparator(folder));
  if (kept == files_.end()) {
    inner_.forEachFile(folder, visit);
    return;
  }
  const NameList files = std::move(kept->second);
  files_.erase(kept);
  for (const std::string& name : files) visit(name);
}

void ListingCache::countListed(std::size_t files) const {
  if (!progress_) return;
  ++progress_->folders;
  progress_->files += files;
}

platform::FolderInfo ListingCache::folderInfo(const std::string& path) const {
  return inner_.folderInfo(path);
}

bool ListingCache::isExistingFile(const std::string& path) const {
  return inner_.isExistingFile(path);
}

bool ListingCache::isFolder(const std::string& path) const {
  return inner_.isFolder(path);
}

std::optional<platform::UnixSeconds> ListingCache::lastWriteTime(const std::string& path) const {
  return inner_.lastWriteTime(path);
}

void ListingCache::lastWriteTimes(const std::string& prefix,
                                  std::span<const std::string_view> names,
                                  std::span<std::optional<platform::UnixSeconds>> times) const {
  inner_.lastWriteTimes(prefix, names, times);
}

bool ListingCache::canReadChangeTime(const std::string& path) const {
  return inner_.canReadChangeTime(path);
}

bool ListingCache::hasTwoSecondTimes(const std::string& folder) const {
  return inner_.hasTwoSecondTimes(folder);
}

bool ListingCache::isRemote(const std::string& folder) const {
  return inner_.isRemote(folder);
}

std::int64_t ListingCache::utcOffsetSeconds() const {
  return inner_.utcOffsetSeconds();
}

}  // namespace plovane
