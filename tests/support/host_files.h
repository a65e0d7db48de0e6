#pragma once

#include <cstdint>
#include <string>

// What the tests need of the operating system beyond the program's own file-system layer:
// a private temporary folder, exact file times and symbolic links. Paths are UTF-8 text with
// the platform's separator, as the program's own paths are.
namespace plovane::test::host {

// A new, empty folder in the system's temporary folder, without a final separator.
std::string makeTemporaryFolder();

// Sets the last-write (and last-access) time of a file or folder. Answers false when the time
// cannot be set, or when the file system keeps it coarser than given and reads back another.
bool setLastWriteTime(const std::string& path, std::int64_t unixSeconds, long nanoseconds = 0);

// True when this process can make symbolic links here; the reason why not goes to reason.
bool canMakeLinks(std::string& reason);

// Makes a symbolic link at link that holds target as written (absolute or relative to the
// link's folder). Throws std::runtime_error when no link could be made.
void makeLink(const std::string& link, const std::string& target);

// Removes a link made by makeLink, never its target. Never throws.
void removeLink(const std::string& link) noexcept;

}  // namespace plovane::test::host
