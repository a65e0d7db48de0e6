#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/worker_thread.h"
#include "scan/listing_cache.h"

namespace plovane {

// How many threads read a tree on a local disk: the machine's hardware threads, at least 2
// and at most kMaxLocalReaderThreads; more only queue at the disk.
inline constexpr unsigned kMaxLocalReaderThreads = 16;
unsigned defaultReaderThreads();
// How many read a tree on a network share or a user-space file system, where each call waits
// on a round trip rather than on this machine: enough to hide the wait, few enough that a
// server's limit on requests from one client does not turn them away.
inline constexpr unsigned kRemoteReaderThreads = 32;
// The most a run may be given.
inline constexpr unsigned kMaxReaderThreads = 64;
// The threads for a tree, by where it lies (platform::FileSystem::isRemote).
unsigned readerThreadsFor(bool remote);

// A listing cache whose folders worker threads read ahead of the walk: each folder's
// listing, the last-write times of its files, and the identity of its sub-folders, which
// tells the workers where the walk will go next. The walk itself runs as before on the
// calling thread and meets the same listings in the same order, the same failures at the
// same calls; only the reading moves to the workers. A folder the workers have not begun
// when the walk needs it is read on the calling thread instead of waited for, and while a
// worker reads the folder the walk needs, the calling thread reads the next one in the queue
// rather than sleep. A folder the walk never reaches is left alone by the walk and answered
// as a plain listing cache would.
//
// At most kFoldersAhead folders that the walk has not taken yet are held at once. The names
// and times of a folder's files stay, once taken, until the comparison asks for its times.
//
// Each side's folders are read by at most that side's number of workers: a given count, or
// the count for where the side's folder lies, learnt when the walk is told of it. The pool
// grows to the larger of the two.
class ReadAheadCache final : public ListingCache {
 public:
  static constexpr std::size_t kFoldersAhead = 1024;
  // A worker needs little stack: a listing's names live on the heap.
  static constexpr std::size_t kWorkerStackBytes = 256 * 1024;

  // Workers read through inner, which must allow concurrent reads: threads of them for each
  // side, or with threads 0, readerThreadsFor the side's folder.
  ReadAheadCache(const platform::FileSystem& inner, unsigned threads,
                 ScanProgress* progress = nullptr);
  ~ReadAheadCache() override;

  void readAhead(const std::string& folder, int side) override;

  void forEachSubFolder(const std::string& folder,
                        const platform::NameVisitor& visit) const override;
  void forEachFile(const std::string& folder, const platform::NameVisitor& visit) const override;
  platform::FolderInfo folderInfo(const std::string& path) const override;
  bool isFolder(const std::string& path) const override;
  void lastWriteTimes(const std::string& prefix, std::span<const std::string_view> names,
                      std::span<std::optional<platform::UnixSeconds>> times) const override;

 private:
  enum class State { kQueued, kReading, kRead, kTaken, kNotWalked };

  struct Folder {
    State state = State::kNotWalked;
    int side = 0;
    std::size_t depth = 0;
    std::uint64_t order = 0;
    const std::string* parent = nullptr;  // the key of the folder it was found in
    std::optional<platform::FolderInfo> info;
    std::exception_ptr infoFailure;
    std::vector<std::string> subFolders;
    NameList files;
    std::vector<std::optional<platform::UnixSeconds>> times;
    std::exception_ptr listingFailure;
    // Whether the folder was examined, with or without success.
    bool infoRead() const { return info || infoFailure; }
  };

  // Reads first what the walk needs first: side 1 before side 2, level by level.
  struct Place {
    int side;
    std::size_t depth;
    std::uint64_t order;
    const std::string* key;
    friend bool operator<(const Place& a, const Place& b) {
      return std::tie(a.side, a.depth, a.order) < std::tie(b.side, b.depth, b.order);
    }
  };

  struct Kept {
    NameList files;
    std::vector<std::optional<platform::UnixSeconds>> times;
  };

  void work();
  void growPool(unsigned threads);
  // Whether the walk or a worker has met the folder already, as a root or a sub-folder.
  bool isMet(const std::string& key) const;
  bool hasWorkWithinBound() const { return !queue_.empty() && untaken_ < kFoldersAhead; }
  // The first queued folder of a side with a worker to spare, within the bound; or the end.
  std::set<Place>::const_iterator nextForWorker() const;
  // Takes the first queued folder and reads it; unlocks meanwhile.
  void readFirstQueued(std::unique_lock<std::mutex>& lock) const;
  void readQueued(std::set<Place>::const_iterator queued, std::unique_lock<std::mutex>& lock) const;
  // Reads the folder, whose state the caller has set to reading; unlocks meanwhile.
  void read(const std::string& key, Folder& folder, std::unique_lock<std::mutex>& lock) const;
  std::vector<platform::FileId> chainOf(const Folder& folder) const;
  Place placeOf(const std::string& key, const Folder& folder) const;

  mutable std::mutex mutex_;
  // Workers wait here for a folder to read; the walk waits on folderRead_ for awaited_, so
  // that it is woken only when the folder it needs is there.
  mutable std::condition_variable workReady_;
  mutable std::condition_variable folderRead_;
  mutable const Folder* awaited_ = nullptr;
  mutable std::unordered_map<std::string, Folder> folders_;
  mutable std::set<Place> queue_;
  mutable std::size_t untaken_ = 0;
  mutable std::uint64_t nextOrder_ = 0;
  bool stopping_ = false;
  // The workers each side may have at once, and those reading it now.
  const bool threadsBySide_;
  std::array<unsigned, 2> sideThreads_{};
  std::array<unsigned, 2> sideReading_{};
  std::vector<std::unique_ptr<platform::WorkerThread>> workers_;
  // Only the walk's thread touches these.
  mutable std::unordered_map<std::string, Kept> kept_;
};

}  // namespace plovane
