#include "scan/read_ahead.h"

#include <algorithm>
#include <system_error>
#include <thread>

#include "scan/folder_tree.h"

namespace plovane {

unsigned defaultReaderThreads() {
  return std::clamp(std::thread::hardware_concurrency(), 2u, kMaxLocalReaderThreads);
}

unsigned readerThreadsFor(bool remote) {
  return remote ? kRemoteReaderThreads : defaultReaderThreads();
}

ReadAheadCache::ReadAheadCache(const platform::FileSystem& inner, unsigned threads,
                               ScanProgress* progress)
    : ListingCache(inner, progress), threadsBySide_(threads == 0) {
  if (threadsBySide_) return;  // the pool grows as the sides become known
  sideThreads_ = {threads, threads};
  growPool(threads);
}

ReadAheadCache::~ReadAheadCache() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  workReady_.notify_all();
  workers_.clear();  // joins them
}

// A thread the system does not start is done without: the walk reads what no worker takes.
void ReadAheadCache::growPool(unsigned threads) {
  while (workers_.size() < threads) {
    try {
      workers_.push_back(
          std::make_unique<platform::WorkerThread>(kWorkerStackBytes, [this] { work(); }));
    } catch (const std::system_error&) {
      return;
    }
  }
}

void ReadAheadCache::readAhead(const std::string& folder, int side) {
  if (folder.empty()) return;  // the run reports it at its own step
  const std::string key = withFinalSeparator(folder);
  if (threadsBySide_ && !isMet(key)) {
    // Asked of the file system outside the lock: on a share it is a round trip.
    const unsigned threads = readerThreadsFor(inner_.isRemote(key));
    {
      const std::lock_guard lock(mutex_);
      sideThreads_[static_cast<std::size_t>(side)] = threads;
    }
    growPool(threads);
    workReady_.notify_all();  // a side's share may have grown
  }
  {
    const std::lock_guard lock(mutex_);
    const auto [found, added] = folders_.try_emplace(key);
    if (!added) return;  // met already, on this side or the other
    Folder& root = found->second;
    root.state = State::kQueued;
    root.side = side;
    root.order = nextOrder_++;
    queue_.insert(placeOf(found->first, root));
  }
  workReady_.notify_one();
}

bool ReadAheadCache::isMet(const std::string& key) const {
  const std::lock_guard lock(mutex_);
  return folders_.count(key) != 0;
}

void ReadAheadCache::work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    auto next = queue_.cend();
    workReady_.wait(lock, [&] { return stopping_ || (next = nextForWorker()) != queue_.cend(); });
    if (stopping_) return;
    const auto side = static_cast<std::size_t>(next->side);
    ++sideReading_[side];
    readQueued(next, lock);
    --sideReading_[side];
  }
}

std::set<ReadAheadCache::Place>::const_iterator ReadAheadCache::nextForWorker() const {
  if (untaken_ >= kFoldersAhead) return queue_.cend();
  for (const int side : {0, 1}) {
    const auto index = static_cast<std::size_t>(side);
    if (sideReading_[index] >= sideThreads_[index]) continue;
    const auto first = queue_.lower_bound(Place{side, 0, 0, nullptr});
    if (first != queue_.cend() && first->side == side) return first;
  }
  return queue_.cend();
}

void ReadAheadCache::readFirstQueued(std::unique_lock<std::mutex>& lock) const {
  readQueued(queue_.cbegin(), lock);
}

void ReadAheadCache::readQueued(std::set<Place>::const_iterator queued,
                                std::unique_lock<std::mutex>& lock) const {
  const std::string& key = *queued->key;
  queue_.erase(queued);
  Folder& folder = folders_.at(key);
  folder.state = State::kReading;
  read(key, folder, lock);
}

ReadAheadCache::Place ReadAheadCache::placeOf(const std::string& key, const Folder& folder) const {
  return {folder.side, folder.depth, folder.order, &key};
}

// The identities of the folder and of the folders by which the walk reaches it: a sub-folder
// that is one of them is not walked.
std::vector<platform::FileId> ReadAheadCache::chainOf(const Folder& folder) const {
  std::vector<platform::FileId> chain;
  for (const Folder* link = &folder; link;
       link = link->parent ? &folders_.at(*link->parent) : nullptr) {
    if (link->info && link->info->id.isKnown()) chain.push_back(link->info->id);
  }
  return chain;
}

void ReadAheadCache::read(const std::string& key, Folder& folder,
                          std::unique_lock<std::mutex>& lock) const {
  const bool infoWanted = !folder.infoRead();
  std::vector<platform::FileId> chain = chainOf(folder);
  lock.unlock();

  Folder read;
  if (infoWanted) {
    try {
      read.info = inner_.folderInfo(key);
      if (read.info->id.isKnown()) chain.push_back(read.info->id);
    } catch (...) {
      read.infoFailure = std::current_exception();
    }
  }
  platform::FolderReading reading = inner_.readFolder(key);
  read.files = std::move(reading.files);
  read.times = std::move(reading.times);
  read.listingFailure = reading.listingFailure;

  // The sub-folders the walk will descend into, as its own tests decide.
  struct Found {
    std::string key;
    std::optional<platform::FolderInfo> info;
    std::exception_ptr infoFailure;
    bool walked = false;
  };
  std::vector<Found> found;
  read.subFolders.reserve(reading.subFolders.size());
  for (platform::FolderReading::SubFolder& sub : reading.subFolders) {
    if (isAcceptedSubFolderName(sub.name)) {
      Found& child = found.emplace_back();
      child.key = key + sub.name + platform::kSeparator;
      child.info = sub.info;
      child.infoFailure = std::move(sub.infoFailure);
      child.walked = child.info && !isHiddenSystemFolder(child.info->attributes) &&
                     std::find(chain.begin(), chain.end(), child.info->id) == chain.end();
    }
    read.subFolders.push_back(std::move(sub.name));
  }

  lock.lock();
  if (infoWanted) {
    folder.info = read.info;
    folder.infoFailure = read.infoFailure;
  }
  folder.subFolders = std::move(read.subFolders);
  folder.files = std::move(read.files);
  folder.times = std::move(read.times);
  folder.listingFailure = read.listingFailure;
  folder.state = State::kRead;
  ++untaken_;
  for (Found& sub : found) {
    const auto [entry, added] = folders_.try_emplace(std::move(sub.key));
    if (!added) continue;
    Folder& child = entry->second;
    child.side = folder.side;
    child.depth = folder.depth + 1;
    child.order = nextOrder_++;
    child.parent = &key;
    child.info = sub.info;
    child.infoFailure = sub.infoFailure;
    if (sub.walked) {
      child.state = State::kQueued;
      queue_.insert(placeOf(entry->first, child));
    }
  }
  if (&folder == awaited_) folderRead_.notify_one();
  if (!found.empty()) workReady_.notify_all();
}

void ReadAheadCache::forEachSubFolder(const std::string& folder,
                                      const platform::NameVisitor& visit) const {
  const std::string key = withFinalSeparator(folder);
  std::unique_lock lock(mutex_);
  const auto found = folders_.find(key);
  if (found == folders_.end() || found->second.state == State::kTaken ||
      found->second.state == State::kNotWalked) {
    lock.unlock();
    ListingCache::forEachSubFolder(folder, visit);
    return;
  }
  Folder& entry = found->second;
  if (entry.state == State::kQueued) {
    // Needed now and not begun: reading it here is quicker than waiting for a turn.
    queue_.erase(placeOf(found->first, entry));
    entry.state = State::kReading;
    read(found->first, entry, lock);
  }
  while (entry.state != State::kRead) {
    if (hasWorkWithinBound()) {
      readFirstQueued(lock);
    } else {
      awaited_ = &entry;
      folderRead_.wait(lock, [&] { return entry.state == State::kRead; });
      awaited_ = nullptr;
    }
  }
  entry.state = State::kTaken;
  const bool wasAtBound = untaken_-- == kFoldersAhead;
  const std::vector<std::string> subFolders = std::move(entry.subFolders);
  Kept kept{std::move(entry.files), std::move(entry.times)};
  const std::exception_ptr failure = entry.listingFailure;
  lock.unlock();
  if (wasAtBound) workReady_.notify_all();

  for (const std::string& name : subFolders) visit(name);
  // As a listing that fails part-way: what came before the failure is visited, and the
  // files are read afresh when they are asked for.
  if (failure) std::rethrow_exception(failure);
  countListed(kept.files.size());
  kept_.insert_or_assign(key, std::move(kept));
}

void ReadAheadCache::forEachFile(const std::string& folder,
                                 const platform::NameVisitor& visit) const {
  const auto kept = kept_.find(withFinalSeparator(folder));
  if (kept == kept_.end()) {
    ListingCache::forEachFile(folder, visit);
    return;
  }
  for (const std::string& name : kept->second.files) visit(name);
}

platform::FolderInfo ReadAheadCache::folderInfo(const std::string& path) const {
  {
    const std::lock_guard lock(mutex_);
    const auto found = folders_.find(withFinalSeparator(path));
    if (found != folders_.end() && found->second.infoRead()) {
      if (found->second.infoFailure) std::rethrow_exception(found->second.infoFailure);
      return *found->second.info;
    }
  }
  return inner_.folderInfo(path);
}

bool ReadAheadCache::isFolder(const std::string& path) const {
  {
    const std::lock_guard lock(mutex_);
    const auto found = folders_.find(withFinalSeparator(path));
    if (found != folders_.end() && found->second.info) return true;
  }
  return inner_.isFolder(path);
}

// The times read with the listing, in the order of the names asked for, which is the order
// of the listing; a name not found there is looked up afresh. A folder's times are answered
// once: a second list holding the same folder reads them again.
void ReadAheadCache::lastWriteTimes(const std::string& prefix,
                                    std::span<const std::string_view> names,
                                    std::span<std::optional<platform::UnixSeconds>> times) const {
  const auto kept = kept_.find(prefix);
  if (kept == kept_.end()) {
    inner_.lastWriteTimes(prefix, names, times);
    return;
  }
  const NameList& files = kept->second.files;
  std::size_t next = 0;
  for (std::size_t k = 0; k < names.size(); ++k) {
    const std::size_t start = next;
    while (next < files.size() && files[next] != names[k]) ++next;
    if (next < files.size()) {
      times[k] = kept->second.times[next++];
    } else {
      next = start;
      times[k] = inner_.lastWriteTime(prefix + std::string(names[k]));
    }
  }
  kept_.erase(kept);
}

}  // namespace plovane
