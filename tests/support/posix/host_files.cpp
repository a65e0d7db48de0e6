#include "host_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace plovane::test::host {

std::string makeTemporaryFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "plovane-test-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
  return buffer.data();
}

bool setLastWriteTime(const std::string& path, std::int64_t unixSeconds, long nanoseconds) {
  const timespec times[2] = {{static_cast<time_t>(unixSeconds), nanoseconds},
                             {static_cast<time_t>(unixSeconds), nanoseconds}};
  if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) return false;
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return false;
  return status.st_mtim.tv_sec == unixSeconds && status.st_mtim.tv_nsec == nanoseconds;
}

bool canMakeLinks(std::string&) {
  return true;
}

void makeLink(const std::string& link, const std::string& target) {
  if (symlink(target.c_str(), link.c_str()) != 0) {
    throw std::runtime_error("symlink " + link + ": " + std::strerror(errno));
  }
}

void removeLink(const std::string& link) noexcept {
  unlink(link.c_str());
}

}  // namespace plovane::test::host
