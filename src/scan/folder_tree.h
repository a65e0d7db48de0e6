#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plovane {

class Host;
namespace platform {
class FileSystem;
}

// An ordered list of folder paths, each ending with the separator.
using FolderTree = std::vector<std::string>;

// Extends the tree with the accepted sub-folders of its entries at every depth (one level
// only when recurse is false), breadth first: all folders of depth 1, grouped by parent in
// the parents' order, then depth 2, and so on. Hidden system folders, folders that lead
// back to themselves or an ancestor, and names with control characters are left out with
// everything below them. A folder that cannot be listed for lack of permission, or that
// vanished, is quietly removed from the tree. Other failures are shown through the host's
// error report under this procedure's label, and the enumeration carries on.
void GetSubDirectories2016(FolderTree& tree, bool recurse, Host& host,
                           const platform::FileSystem& fs);

// True when the path is a folder; false when it is not or cannot be examined.
// A final separator is accepted.
bool IsFolder(const platform::FileSystem& fs, const std::string& path);

// True when a sub-folder of this name is taken into the tree: shorter than the path limit,
// no control character, no "?" where that marks a lost character, neither "." nor "..".
bool isAcceptedSubFolderName(std::string_view name);

// Hidden, system and folder (with or without the link bit) and nothing else: such a folder
// is not descended into, unless it is a drive's root.
bool isHiddenSystemFolder(int attributes);

// True when the name holds a control character: a code point below 32, or from 127 to 159.
bool NameHasBadCharacter(std::string_view name);

}  // namespace plovane
