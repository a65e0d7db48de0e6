#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace plovane::test {

// A real folder tree in a fresh temporary folder, removed again at the end of the test.
// Relative paths use "/" and name entries below the root.
class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // The root, ending with the separator, as the folder lists hold a chosen folder.
  std::string root() const;
  // root() followed by the relative path.
  std::string path(const std::string& relative) const;

  void makeFolder(const std::string& relative) const;
  // Writes a file (and its folders). A non-zero time sets the last-write time, in seconds
  // since 1970 (universal time).
  void makeFile(const std::string& relative, std::int64_t unixSeconds = 0,
                const std::string& content = "x") const;
  void setTime(const std::string& relative, std::int64_t unixSeconds) const;
  void makeLink(const std::string& relative, const std::string& target) const;
  void remove(const std::string& relative) const;

 private:
  std::filesystem::path root_;
};

}  // namespace plovane::test
