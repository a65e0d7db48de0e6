#include "faulty_file_system.h"

#include <algorithm>
#include <thread>

#include "common/failure.h"

namespace plovane::test {

namespace {

std::string withoutFinalSeparator(std::string path) {
  while (path.size() > 1 && path.back() == platform::kSeparator) path.pop_back();
  return path;
}

Failure failureFor(int code) {
  switch (code) {
    case failure_code::kPermissionDenied:
      return Failure("Permission denied", code);
    case failure_code::kPathNotFound:
      return Failure("Path not found", code);
    default:
      return Failure("Device unavailable", code);
  }
}

// The folder is one of the folders or lies below one.
bool liesIn(const std::string& folder, const std::set<std::string>& folders) {
  const std::string path = withoutFinalSeparator(folder);
  return std::any_of(folders.begin(), folders.end(), [&](const std::string& top) {
    return path == top || path.starts_with(top + platform::kSeparator);
  });
}

}  // namespace

void FaultyFileSystem::failListing(const std::string& folder, int code, int afterNames) {
  listingFaults_[withoutFinalSeparator(folder)] = {code, afterNames};
}

void FaultyFileSystem::failFolderInfo(const std::string& folder, int code) {
  folderInfoFaults_[withoutFinalSeparator(folder)] = code;
}

void FaultyFileSystem::vanishTime(const std::string& path) {
  vanishedTimes_.insert(path);
}

void FaultyFileSystem::setTime(const std::string& path, platform::UnixSeconds time) {
  setTimes_[path] = time;
}

void FaultyFileSystem::setTwoSecondTimes(const std::string& folder) {
  twoSecondFolders_.insert(withoutFinalSeparator(folder));
}

void FaultyFileSystem::setRemote(const std::string& folder) {
  remoteFolders_.insert(withoutFinalSeparator(folder));
}

int FaultyFileSystem::mostListingsAtOnce(bool remote) const {
  const std::lock_guard lock(countsMutex_);
  return mostListings_[remote];
}

int FaultyFileSystem::timeLookups(const std::string& path) const {
  const std::lock_guard lock(countsMutex_);
  const auto found = timeLookups_.find(path);
  return found == timeLookups_.end() ? 0 : found->second;
}

platform::FolderInfo FaultyFileSystem::folderInfo(const std::string& path) const {
  const auto fault = folderInfoFaults_.find(withoutFinalSeparator(path));
  if (fault != folderInfoFaults_.end()) throw failureFor(fault->second);
  return inner_.folderInfo(path);
}

void FaultyFileSystem::forEachEntry(const std::string& folder,
                                    const platform::EntryVisitor& visit) const {
  if (listingDelay_.count() > 0) {
    const bool remote = isRemote(folder);
    {
      const std::lock_guard lock(countsMutex_);
      mostListings_[remote] = std::max(mostListings_[remote], ++listingsNow_[remote]);
    }
    std::this_thread::sleep_for(listingDelay_);
    const std::lock_guard lock(countsMutex_);
    --listingsNow_[remote];
  }
  const auto fault = listingFaults_.find(withoutFinalSeparator(folder));
  if (fault == listingFaults_.end()) {
    inner_.forEachEntry(folder, visit);
    return;
  }
  int visited = 0;
  inner_.forEachEntry(folder, [&](std::string_view name, platform::EntryKind kind) {
    if (visited == fault->second.afterNames) throw failureFor(fault->second.code);
    ++visited;
    visit(name, kind);
  });
  if (visited == fault->second.afterNames) throw failureFor(fault->second.code);
}

bool FaultyFileSystem::isExistingFile(const std::string& path) const {
  return inner_.isExistingFile(path);
}

bool FaultyFileSystem::isFolder(const std::string& path) const {
  return inner_.isFolder(path);
}

std::optional<platform::UnixSeconds> FaultyFileSystem::lastWriteTime(
    const std::string& path) const {
  {
    const std::lock_guard lock(countsMutex_);
    ++timeLookups_[path];
    ++totalTimeLookups_;
  }
  if (vanishedTimes_.count(path)) return std::nullopt;
  if (const auto set = setTimes_.find(path); set != setTimes_.end()) return set->second;
  return inner_.lastWriteTime(path);
}

bool FaultyFileSystem::canReadChangeTime(const std::string& path) const {
  return inner_.canReadChangeTime(path);
}

bool FaultyFileSystem::hasTwoSecondTimes(const std::string& folder) const {
  return liesIn(folder, twoSecondFolders_) || inner_.hasTwoSecondTimes(folder);
}

bool FaultyFileSystem::isRemote(const std::string& folder) const {
  return liesIn(folder, remoteFolders_) || inner_.isRemote(folder);
}

std::int64_t FaultyFileSystem::utcOffsetSeconds() const {
  return inner_.utcOffsetSeconds();
}

}  // namespace plovane::test
