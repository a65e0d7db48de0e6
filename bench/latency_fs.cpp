// latency-fs: a read-only pass-through of a folder in which every getattr (which also serves
// the kernel's name lookups), opendir and readdir first waits a set time, as a round trip to
// a file server would. The kernel's attribute, name and negative caches are off, so every
// folder listing and file status a program asks for pays that time, as on a network share.
// bench/network_share_figures.sh mounts it to time the comparison on such a share.
//
//   latency-fs [--delay-us N] SOURCE MOUNTPOINT [FUSE OPTIONS...]
//
// Built on libfuse 2.9's high-level API and its multi-threaded loop: calls that the kernel
// sends at once wait at once, as concurrent requests to a server do.

#define FUSE_USE_VERSION 26

#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

constexpr std::int64_t kMaxDelayMicroseconds = 10'000'000;  // ten seconds a call

struct Settings {
  std::string source;  // absolute: fuse_main may leave the working folder
  std::chrono::microseconds delay{1000};
};

const Settings& settings() {
  return *static_cast<const Settings*>(fuse_get_context()->private_data);
}

// FUSE paths start with a slash and name the mount's root as "/".
std::string sourcePath(const char* path) {
  return settings().source + path;
}

void waitForServer() {
  std::this_thread::sleep_for(settings().delay);
}

DIR* folderOf(const fuse_file_info* info) {
  return reinterpret_cast<DIR*>(info->fh);
}

int statusOf(const char* path, struct stat* status) {
  waitForServer();
  return lstat(sourcePath(path).c_str(), status) == 0 ? 0 : -errno;
}

int readLink(const char* path, char* buffer, size_t size) {
  if (size == 0) return -EINVAL;
  const ssize_t length = readlink(sourcePath(path).c_str(), buffer, size - 1);
  if (length < 0) return -errno;
  buffer[length] = '\0';
  return 0;
}

int openFolder(const char* path, fuse_file_info* info) {
  waitForServer();
  DIR* folder = opendir(sourcePath(path).c_str());
  if (folder == nullptr) return -errno;
  info->fh = reinterpret_cast<std::uint64_t>(folder);
  return 0;
}

// The high-level library asks for the whole listing once per open folder (offset 0 to the
// filler), and serves the kernel's further reads from it.
int listFolder(const char*, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info* info) {
  waitForServer();
  DIR* folder = folderOf(info);
  rewinddir(folder);
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(folder);
    if (entry == nullptr) return -errno;
    // The type, as a server's listing gives it, spares the reader a status per entry.
    struct stat type {};
    type.st_ino = entry->d_ino;
    type.st_mode = DTTOIF(entry->d_type);
    if (fill(buffer, entry->d_name, &type, 0) != 0) return 0;
  }
}

int closeFolder(const char*, fuse_file_info* info) {
  closedir(folderOf(info));
  return 0;
}

int openFile(const char* path, fuse_file_info* info) {
  if ((info->flags & O_ACCMODE) != O_RDONLY) return -EROFS;
  const int fd = open(sourcePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -errno;
  info->fh = static_cast<std::uint64_t>(fd);
  return 0;
}

int readFile(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* info) {
  const ssize_t length = pread(static_cast<int>(info->fh), buffer, size, offset);
  return length < 0 ? -errno : static_cast<int>(length);
}

int closeFile(const char*, fuse_file_info* info) {
  close(static_cast<int>(info->fh));
  return 0;
}

// Anything not set here (every write) is refused by the library with ENOSYS, and the mount
// is read-only besides.
fuse_operations operations() {
  fuse_operations ops{};
  ops.getattr = statusOf;
  ops.readlink = readLink;
  ops.opendir = openFolder;
  ops.readdir = listFolder;
  ops.releasedir = closeFolder;
  ops.open = openFile;
  ops.read = readFile;
  ops.release = closeFile;
  return ops;
}

void printUsage(std::FILE* out) {
  std::fprintf(out,
               "usage: latency-fs [--delay-us N] SOURCE MOUNTPOINT [FUSE OPTIONS...]\n"
               "Mounts SOURCE read-only at MOUNTPOINT; each getattr, opendir and readdir waits\n"
               "N microseconds first (default 1000, at most %lld). -f keeps it in the "
               "foreground.\n",
               static_cast<long long>(kMaxDelayMicroseconds));
}

int badUsage(const std::string& message) {
  std::fprintf(stderr, "latency-fs: %s\n", message.c_str());
  printUsage(stderr);
  return 2;
}

std::optional<std::chrono::microseconds> parseDelay(std::string_view text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0 ||
      value > kMaxDelayMicroseconds) {
    return std::nullopt;
  }
  return std::chrono::microseconds(value);
}

// The folder's absolute path, or why it cannot be passed through.
struct Source {
  std::string path;
  std::string problem;
};

Source absoluteFolder(const char* path) {
  char resolved[PATH_MAX];
  if (realpath(path, resolved) == nullptr) return {{}, std::strerror(errno)};
  struct stat status {};
  if (stat(resolved, &status) != 0) return {{}, std::strerror(errno)};
  if (!S_ISDIR(status.st_mode)) return {{}, "not a folder"};
  // The root becomes "" so that "" + "/name" does not give "//name".
  return {std::strcmp(resolved, "/") == 0 ? std::string() : std::string(resolved), {}};
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  int next = 1;
  if (next < argc &&
      (std::strcmp(argv[next], "-h") == 0 || std::strcmp(argv[next], "--help") == 0)) {
    printUsage(stdout);
    return 0;
  }
  if (next < argc && std::strcmp(argv[next], "--delay-us") == 0) {
    if (next + 1 >= argc) return badUsage("--delay-us needs a number of microseconds");
    const auto delay = parseDelay(argv[next + 1]);
    if (!delay) {
      return badUsage("--delay-us takes whole microseconds, 0 to " +
                      std::to_string(kMaxDelayMicroseconds) + ": " + argv[next + 1]);
    }
    settings.delay = *delay;
    next += 2;
  }
  if (argc - next < 2) return badUsage("SOURCE and MOUNTPOINT are needed");
  const Source source = absoluteFolder(argv[next]);
  if (!source.problem.empty()) return badUsage(std::string(argv[next]) + ": " + source.problem);
  settings.source = source.path;

  // Read-only, and no kernel cache that would spare a round trip.
  std::string mountOptions =
      "ro,attr_timeout=0,entry_timeout=0,negative_timeout=0,fsname=latency-fs,subtype=latency";
  std::vector<char*> fuseArguments{argv[0]};
  for (int i = next + 1; i < argc; ++i) fuseArguments.push_back(argv[i]);
  char option[] = "-o";
  fuseArguments.push_back(option);
  fuseArguments.push_back(mountOptions.data());
  fuseArguments.push_back(nullptr);
  const fuse_operations ops = operations();
  return fuse_main(static_cast<int>(fuseArguments.size() - 1), fuseArguments.data(), &ops,
                   &settings);
}
