#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "platform/file_system.h"

namespace plovane::test {

// The native file system with faults injected on chosen paths: what a real tree cannot
// produce on demand, such as permission denied while running as root, or a file that
// vanishes between its listing and the lookup of its time. Paths are compared without a
// final separator.
class FaultyFileSystem : public platform::FileSystem {
 public:
  explicit FaultyFileSystem(const platform::FileSystem& inner = platform::nativeFileSystem())
      : inner_(inner) {}

  // Listing the folder fails with the code after the given number of entries was visited.
  void failListing(const std::string& folder, int code, int afterNames = 0);
  // Examining the folder (attributes, identity) fails with the code.
  void failFolderInfo(const std::string& folder, int code);
  // The file's time cannot be read, as if it had vanished after the listing.
  void vanishTime(const std::string& path);
  // The file's time reads as given, as a file system that stores any 64-bit time would
  // report it.
  void setTime(const std::string& path, platform::UnixSeconds time);
  // The folder and everything below it answer as a FAT volume does, with times in 2-second
  // steps; the times themselves stay as they are.
  void setTwoSecondTimes(const std::string& folder);

  // The folder and everything below it lie on a network share, as isRemote tells.
  void setRemote(const std::string& folder);
  // Each listing takes at least this long, as over a network; listings of folders on the
  // share and off it are counted apart, for mostListingsAtOnce.
  void delayListings(std::chrono::milliseconds delay) { listingDelay_ = delay; }
  // The most listings that ran at once, of folders on a share or of the others.
  int mostListingsAtOnce(bool remote) const;

  // Lets a run read ahead with threads through this file system. Set the faults first: only
  // the counts below are guarded for calls from several threads.
  void allowConcurrentReads(bool allow) { concurrent_ = allow; }
  bool allowsConcurrentReads() const override { return concurrent_; }

  // How often the time of a path was asked for.
  int timeLookups(const std::string& path) const;
  int totalTimeLookups() const { return totalTimeLookups_; }

  platform::FolderInfo folderInfo(const std::string& path) const override;
  void forEachEntry(const std::string& folder, const platform::EntryVisitor& visit) const override;
  bool isExistingFile(const std::string& path) const override;
  bool isFolder(const std::string& path) const override;
  std::optional<platform::UnixSeconds> lastWriteTime(const std::string& path) const override;
  bool canReadChangeTime(const std::string& path) const override;
  bool hasTwoSecondTimes(const std::string& folder) const override;
  bool isRemote(const std::string& folder) const override;
  std::int64_t utcOffsetSeconds() const override;

 private:
  struct ListingFault {
    int code;
    int afterNames;
  };

  const platform::FileSystem& inner_;
  std::map<std::string, ListingFault> listingFaults_;
  std::map<std::string, int> folderInfoFaults_;
  std::set<std::string> vanishedTimes_;
  std::map<std::string, platform::UnixSeconds> setTimes_;
  std::set<std::string> twoSecondFolders_;
  std::set<std::string> remoteFolders_;
  std::chrono::milliseconds listingDelay_{0};
  bool concurrent_ = false;
  mutable std::mutex countsMutex_;
  mutable std::map<std::string, int> timeLookups_;
  mutable int totalTimeLookups_ = 0;
  mutable std::array<int, 2> listingsNow_{};
  mutable std::array<int, 2> mostListings_{};
};

}  // namespace plovane::test
