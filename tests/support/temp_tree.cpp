#include "temp_tree.h"

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace plovane::test {

TempTree::TempTree() {
  std::string pattern = (std::filesystem::temp_directory_path() / "plovane-test-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
  root_ = buffer.data();
}

TempTree::~TempTree() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::string TempTree::root() const { return root_.string() + "/"; }

std::string TempTree::path(const std::string& relative) const { return root() + relative; }

void TempTree::makeFolder(const std::string& relative) const {
  std::filesystem::create_directories(root_ / relative);
}

void TempTree::makeFile(const std::string& relative, std::int64_t unixSeconds,
                        const std::string& content) const {
  const std::filesystem::path file = root_ / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
  if (unixSeconds != 0) setTime(relative, unixSeconds);
}

void TempTree::setTime(const std::string& relative, std::int64_t unixSeconds) const {
  const timeval times[2] = {{static_cast<time_t>(unixSeconds), 0},
                            {static_cast<time_t>(unixSeconds), 0}};
  if (utimes(path(relative).c_str(), times) != 0) throw std::runtime_error("utimes failed");
}

void TempTree::makeLink(const std::string& relative, const std::string& target) const {
  const std::filesystem::path link = root_ / relative;
  std::filesystem::create_directories(link.parent_path());
  if (symlink(target.c_str(), link.c_str()) != 0) throw std::runtime_error("symlink failed");
}

void TempTree::remove(const std::string& relative) const {
  std::filesystem::remove_all(root_ / relative);
}

}  // namespace plovane::test
