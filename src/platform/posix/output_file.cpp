// Output files on POSIX: written beside their target and renamed over it when complete.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <utility>

#include "common/failure.h"
#include "platform/file_system.h"
#include "platform/output_file.h"

namespace plovane::platform {

namespace {

// The temporary files that a signal must not leave behind. A signal handler may only read
// what is fully written, so a slot is filled before it is armed, and only armed slots are
// looked at; the paths live in fixed storage that the handler can read without a lock.
class RemovalSlots {
 public:
  // Makes a new file from the pattern (see mkostemp), whose name the pattern then holds, and
  // answers its descriptor, or -1 with errno set. The name is made in the slot itself, armed
  // before the file exists, so that no moment passes in which the file exists and a signal
  // would leave it. The slot's number goes to slot: -1 when the path is too long or every slot
  // is taken, and the file is then still removed by its owner, only not on a signal.
  int makeTemporary(std::string& pattern, int& slot) noexcept {
    installHandlers();
    slot = claim(pattern);
    if (slot < 0) return mkostemp(pattern.data(), O_CLOEXEC);
    char* path = slots_[static_cast<std::size_t>(slot)].path;
    const int descriptor = mkostemp(path, O_CLOEXEC);
    if (descriptor < 0) {
      const int error = errno;
      disarm(slot);
      slot = -1;
      errno = error;
      return -1;
    }
    pattern.assign(path);
    return descriptor;
  }

  void disarm(int k) noexcept {
    if (k >= 0) slots_[static_cast<std::size_t>(k)].state.store(kFree);
  }

  // Async-signal-safe: unlink and atomic loads only.
  void removeArmed() noexcept {
    for (Slot& slot : slots_) {
      if (slot.state.load() == kArmed) unlink(slot.path);
    }
  }

 private:
  static constexpr int kSlots = 16;
  static constexpr int kFree = 0;
  static constexpr int kFilling = 1;
  static constexpr int kArmed = 2;
  struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
  };

  int claim(const std::string& path) noexcept {
    if (path.size() >= PATH_MAX) return -1;
    for (int k = 0; k < kSlots; ++k) {
      Slot& slot = slots_[static_cast<std::size_t>(k)];
      int expected = kFree;
      if (!slot.state.compare_exchange_strong(expected, kFilling)) continue;
      std::memcpy(slot.path, path.c_str(), path.size() + 1);
      slot.state.store(kArmed);
      return k;
    }
    return -1;
  }

  static void onSignal(int signalNumber);

  // Once, and only for the signals whose default ends the process: a signal the user had
  // ignored (nohup) stays ignored, and a handler of the program's own stays in place.
  static void installHandlers() noexcept {
    static std::once_flag installed;
    std::call_once(installed, [] {
      for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ}) {
        struct sigaction current {};
        if (sigaction(signalNumber, nullptr, &current) != 0) continue;
        if (current.sa_handler != SIG_DFL || (current.sa_flags & SA_SIGINFO) != 0) continue;
        struct sigaction ours {};
        ours.sa_handler = onSignal;
        ours.sa_flags = SA_RESETHAND;  // the signal, raised again, then does what it did
        sigemptyset(&ours.sa_mask);
        sigaction(signalNumber, &ours, nullptr);
      }
    });
  }

  std::array<Slot, kSlots> slots_;
};

RemovalSlots removalSlots;

void RemovalSlots::onSignal(int signalNumber) {
  const int savedErrno = errno;
  removalSlots.removeArmed();
  errno = savedErrno;
  // Blocked until the handler returns, then ends the process as the default does.
  raise(signalNumber);
}

std::optional<struct stat> statusOf(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return std::nullopt;
  return status;
}

// A link is replaced at the place it leads to, as writing through it would; a dangling link
// itself is replaced.
std::string followedLink(const std::string& target) {
  struct stat status {};
  if (lstat(target.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return target;
  char* resolved = realpath(target.c_str(), nullptr);
  if (!resolved) return target;
  std::string path(resolved);
  std::free(resolved);
  return path;
}

bool isWrittenDirectly(const std::optional<struct stat>& status) {
  return status && !S_ISREG(status->st_mode) && !S_ISDIR(status->st_mode);
}

mode_t creationMode() {
  // The umask can only be read by setting it; it is put back at once.
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// A new file gets what creating it by name would have given it; a replaced one keeps the
// target's permissions, and its owner where the program may set it (as root).
void takeOverPermissions(int descriptor, const std::optional<struct stat>& target) {
  if (!target) {
    fchmod(descriptor, creationMode());
    return;
  }
  if (fchown(descriptor, target->st_uid, target->st_gid) != 0) {
    // Not allowed for another owner: the file stays the writer's own.
  }
  fchmod(descriptor, target->st_mode & 07777);
}

// The rename itself survives a crash only once the folder is written out too.
void syncFolderOf(const std::string& path) {
  const std::size_t separator = path.rfind('/');
  const std::string folder =
      separator == std::string::npos ? "." : (separator == 0 ? "/" : path.substr(0, separator));
  const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  fsync(descriptor);
  close(descriptor);
}

[[noreturn]] void throwErrno(int error) {
  throw failureFromErrno(error != 0 ? error : EIO);
}

}  // namespace

ReplacingFile::ReplacingFile(const std::string& target) : target_(followedLink(target)) {
  const auto status = statusOf(target_);
  if (status && S_ISDIR(status->st_mode)) throw failureFromErrno(EISDIR);
  if (isWrittenDirectly(status)) {
    direct_ = true;
    temporary_ = target_;
    stream_ = std::fopen(target_.c_str(), "wbe");
    if (!stream_) throwErrno(errno);
    return;
  }
  temporary_ = temporarySiblingPrefix(target_) + ".XXXXXX";
  const int descriptor = removalSlots.makeTemporary(temporary_, removalSlot_);
  if (descriptor < 0) {
    temporary_.clear();
    throwErrno(errno);
  }
  stream_ = fdopen(descriptor, "wb");
  if (!stream_) {
    const int error = errno;
    close(descriptor);
    discard();
    throwErrno(error);
  }
}

ReplacingFile::~ReplacingFile() {
  discard();
}

void ReplacingFile::commit() {
  if (!stream_) throw Failure("No file is open to write to");
  // Whatever fails, the target stays as it was and the temporary file goes.
  const auto giveUp = [this](int error) {
    discard();
    throwErrno(error);
  };
  errno = 0;
  if (std::fflush(stream_) != 0) giveUp(errno);
  const int descriptor = fileno(stream_);
  if (!direct_) {
    takeOverPermissions(descriptor, statusOf(target_));
    // A file system that cannot flush to its disk (some FUSE ones) is taken at its word.
    if (fsync(descriptor) != 0 && errno != EINVAL && errno != ENOTSUP) giveUp(errno);
  }
  std::FILE* stream = std::exchange(stream_, nullptr);
  errno = 0;
  if (std::fclose(stream) != 0) giveUp(errno);
  if (direct_) return;
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) giveUp(errno);
  removalSlots.disarm(std::exchange(removalSlot_, -1));
  temporary_.clear();
  syncFolderOf(target_);
}

void ReplacingFile::discard() noexcept {
  if (stream_) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!direct_ && !temporary_.empty()) unlink(temporary_.c_str());
  removalSlots.disarm(std::exchange(removalSlot_, -1));
  temporary_.clear();
}

std::optional<FileId> fileIdentity(const std::string& path) {
  const auto status = statusOf(path);
  if (!status) return std::nullopt;
  return FileId{static_cast<std::uint64_t>(status->st_dev),
                static_cast<std::uint64_t>(status->st_ino)};
}

bool isSameFileName(std::string_view a, std::string_view b) {
  return a == b;
}

void removeUnfinishedFiles() noexcept {
  removalSlots.removeArmed();
}

QuietStandardError::QuietStandardError() {
  std::fflush(stderr);
  const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (nowhere < 0) return;
  saved_ = fcntl(2, F_DUPFD_CLOEXEC, 3);
  if (saved_ >= 0) dup2(nowhere, 2);
  close(nowhere);
}

QuietStandardError::~QuietStandardError() {
  if (saved_ < 0) return;
  std::fflush(stderr);
  dup2(saved_, 2);
  close(saved_);
}

std::string_view inReportEncoding(std::string_view text, std::string& /*scratch*/) {
  return text;
}

}  // namespace plovane::platform
