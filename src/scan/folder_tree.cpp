#include "scan/folder_tree.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "common/error_report.h"
#include "common/failure.h"
#include "common/host.h"
#include "common/trap.h"
#include "common/utf.h"
#include "platform/file_system.h"

namespace plovane {

namespace {

using platform::FolderInfo;
using platform::kSeparator;

constexpr int kHiddenSystemFolder = 22;
constexpr int kHiddenSystemLinkFolder = 1046;

// One enumeration, with all its nested levels. A folder is examined once: each level that
// passes a folder up tests it again, and answers from what was read the first time. Each
// folder found remembers the folder it was found in, so that the chain by which the walk
// reached it can be followed back to the chosen folder.
class Enumeration {
 public:
  Enumeration(Host& host, const platform::FileSystem& fs)
      : host_(host), fs_(fs), trap_(host, label::kGetSubDirectories2016) {}

  // One call of the procedure; depth 0 is the caller's own tree.
  void run(FolderTree& tree, bool recurse, int depth);

 private:
  struct Walked {
    std::optional<FolderInfo> info;
    const std::string* parent = nullptr;  // the key of the folder it was found in
    std::optional<bool> leadsBack;
  };

  void firstPass(FolderTree& tree, FolderTree& found, int depth);
  void listSubFolders(const std::string& folder, FolderTree& found);
  bool isFolder(const std::string& path);
  const FolderInfo& examine(const std::string& path);
  bool isDescendable(const std::string& path, int depth);
  bool leadsBackOnItsChain(const std::string& path, const platform::FileId& id);
  static void removeFirstEqual(FolderTree& tree, const std::string& folder);

  Host& host_;
  const platform::FileSystem& fs_;
  Trap trap_;
  // Keyed by path; the map's nodes stay put, so a parent is held by its key's address.
  std::unordered_map<std::string, Walked> walked_;
};

void Enumeration::run(FolderTree& tree, bool recurse, int depth) {
  FolderTree found;                                            // steps 100 to 104
  firstPass(tree, found, depth);                               // steps 106 to 148
  if (recurse && !found.empty()) run(found, true, depth + 1);  // step 150
  for (const std::string& entry : found) {                     // step 152
    if (!isFolder(entry)) continue;                            // step 154
    host_.yield();                                             // step 156
    if (trap_.test(158, [&] { return isDescendable(entry, depth + 1); })) {
      trap_.step(160, [&] { tree.push_back(entry); });
    }
  }
}

// Until the first folder is descended into, failures are reported. From then on to the end
// of the pass they are quiet: the folder is abandoned, and removed from the tree when it
// cannot be listed for lack of permission or because it vanished.
void Enumeration::firstPass(FolderTree& tree, FolderTree& found, int depth) {
  bool quiet = false;
  std::size_t index = 0;
  while (index < tree.size()) {
    const std::string folder = tree[index];
    try {
      if (!isFolder(folder)) {  // step 108
        ++index;
        continue;
      }
      if (platform::pathLength(folder) >= platform::kPathLimit) {  // step 110
        ++index;
        continue;
      }
      bool examinedOk = false;  // step 112
      if (quiet) {
        examine(folder);
        examinedOk = true;
      } else {
        trap_.step(112, [&] {
          examine(folder);
          examinedOk = true;
        });
      }
      host_.yield();                                             // step 114
      const bool descend = quiet ? isDescendable(folder, depth)  // step 116
                                 : trap_.test(116, [&] {
                                     if (!examinedOk) throw Failure("Object required", 424);
                                     return isDescendable(folder, depth);
                                   });
      if (!descend) {
        ++index;
        continue;
      }
      quiet = true;
      listSubFolders(folder, found);  // steps 118 to 136
      ++index;
    } catch (...) {  // steps 138 to 148
      const int code = describeCurrentException().second;
      if (code == failure_code::kPermissionDenied || code == failure_code::kPathNotFound) {
        removeFirstEqual(tree, folder);  // the entry that followed moves up to index
      } else {
        ++index;
      }
    }
  }
}

void Enumeration::listSubFolders(const std::string& folder, FolderTree& found) {
  fs_.forEachSubFolder(folder, [&](std::string_view name) {
    host_.yield();                               // step 120
    if (!isAcceptedSubFolderName(name)) return;  // steps 124 to 130
    std::string path;                            // steps 132, 134
    path.reserve(folder.size() + name.size() + 1);
    path.append(folder).append(name).push_back(kSeparator);
    const auto parent = walked_.find(folder);
    walked_[path].parent = parent == walked_.end() ? nullptr : &parent->first;
    found.push_back(std::move(path));
  });
}

bool Enumeration::isFolder(const std::string& path) {
  const auto found = walked_.find(path);
  return (found != walked_.end() && found->second.info) || IsFolder(fs_, path);
}

const FolderInfo& Enumeration::examine(const std::string& path) {
  Walked& walked = walked_[path];
  if (!walked.info) walked.info = fs_.folderInfo(path);
  return *walked.info;
}

// A drive's root is always descended into. Hidden system folders are not, and neither is a
// sub-folder that is the chosen folder or one of the folders by which the walk reached it:
// a link, or a mount, that leads back would make the tree grow without bound.
bool Enumeration::isDescendable(const std::string& path, int depth) {
  const FolderInfo& info = examine(path);
  if (info.isRoot) return true;
  if (isHiddenSystemFolder(info.attributes)) return false;
  if (depth == 0) return true;  // the chosen folders themselves are not sub-folders
  Walked& walked = walked_.at(path);
  if (!walked.leadsBack) walked.leadsBack = leadsBackOnItsChain(path, info.id);
  return !*walked.leadsBack;
}

// Compares identities, never path texts: a folder reached through a link has a path of its
// own, and folders above the chosen one are not part of the walk, however it was named.
bool Enumeration::leadsBackOnItsChain(const std::string& path, const platform::FileId& id) {
  if (!id.isKnown()) return false;
  for (const std::string* folder = walked_.at(path).parent; folder;
       folder = walked_.at(*folder).parent) {
    const std::optional<FolderInfo>& folderInfo = walked_.at(*folder).info;
    if (folderInfo && folderInfo->id == id) return true;
  }
  return false;
}

void Enumeration::removeFirstEqual(FolderTree& tree, const std::string& folder) {
  const auto found = std::find(tree.begin(), tree.end(), folder);
  if (found != tree.end()) tree.erase(found);
}

}  // namespace

void GetSubDirectories2016(FolderTree& tree, bool recurse, Host& host,
                           const platform::FileSystem& fs) {
  Enumeration(host, fs).run(tree, recurse, 0);
}

bool IsFolder(const platform::FileSystem& fs, const std::string& path) {
  return fs.isFolder(path);
}

bool isHiddenSystemFolder(int attributes) {
  return attributes == kHiddenSystemFolder || attributes == kHiddenSystemLinkFolder;
}

bool isAcceptedSubFolderName(std::string_view name) {
  if (platform::pathLength(name) >= platform::kPathLimit) return false;
  if (NameHasBadCharacter(name)) return false;
  if (platform::kQuestionMarkIsLostCharacter && name.find('?') != std::string_view::npos) {
    return false;
  }
  return name != "." && name != "..";
}

bool NameHasBadCharacter(std::string_view name) {
  for (std::size_t position = 0; position < name.size();) {
    const DecodedCharacter character = decodeUtf8At(name, position);
    if (character.wellFormed) {
      const char32_t code = character.codePoint;
      if (code < 32 || (code >= 127 && code <= 159)) return true;
    }
    position += character.byteCount;
  }
  return false;
}

}  // namespace plovane
