#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace plovane::test {

// A real folder tree in a fresh temporary folder, removed again at the end of the test.
// Relative paths may use "/" on every system and name entries below the root; the paths
// handed out use the platform's separator, as the program's own paths do.
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
  // A symbolic link holding the target as written; a relative target may use "/". Check
  // canMakeLinks first (see REQUIRE_LINKS): where links cannot be made this throws.
  void makeLink(const std::string& relative, const std::string& target) const;
  void remove(const std::string& relative) const;

  // True when links can be made here; otherwise the reason goes to reason.
  static bool canMakeLinks(std::string& reason);

 private:
  std::filesystem::path fsPath(const std::string& relative) const;

  std::string root_;
  // Removed first and by themselves: a removal of the tree must not walk into their targets.
  mutable std::vector<std::string> links_;
};

// The platform's form of a relative path written with "/".
std::string nativePath(std::string relative);
// The path written with "/", so that expectations read alike on every system.
std::string portablePath(std::string path);

}  // namespace plovane::test

// Skips the rest of a test that needs symbolic links where this user cannot make them (as on
// Windows without the privilege), saying why, rather than passing without its links.
#define REQUIRE_LINKS()                                                                         \
  do {                                                                                          \
    std::string noLinksReason;                                                                  \
    if (!::plovane::test::TempTree::canMakeLinks(noLinksReason)) GTEST_SKIP() << noLinksReason; \
  } while (false)
