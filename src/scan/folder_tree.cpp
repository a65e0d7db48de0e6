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
// passes a folder up tests it again, and answers from what was read the first time.
class Enumeration {
 public:
  Enumeration(Host& host, const platform::FileSystem& fs)
      : host_(host), fs_(fs), trap_(host, label::kGetSubDirectories2016) {}

  // One call of the procedure; depth 0 is the caller's own tree.
  void run(FolderTree& tree, bool recurse, int depth);

 private:
  struct Examined {
    FolderInfo info;
    std::optional<bool> leadsBack;
  };

  void firstPass(FolderTree& tree, FolderTree& found, int depth);
  void listSubFolders(const std::string& folder, FolderTree& found);
  bool isFolder(const std::string& path);
  const FolderInfo& examine(const std::string& path);
  bool isDescendable(const std::string& path, int depth);
  bool leadsBackToAncestor(const std::string& path, const platform::FileId& id);
  static void removeFirstEqual(FolderTree& tree, const std::string& folder);

  Host& host_;
  const platform::FileSystem& fs_;
  Trap trap_;
  std::unordered_map<std::string, Examined> examined_;
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
    host_.yield();                                                   // step 120
    if (platform::pathLength(name) >= platform::kPathLimit) return;  // step 124
    if (NameHasBadCharacter(name)) return;                           // step 126
    if (platform::kQuestionMarkIsLostCharacter &&                    // step 128
        name.find('?') != std::string_view::npos) {
      return;
    }
    if (name == "." || name == "..") return;  // step 130
    std::string path;                         // steps 132, 134
    path.reserve(folder.size() + name.size() + 1);
    path.append(folder).append(name).push_back(kSeparator);
    found.push_back(std::move(path));
  });
}

bool Enumeration::isFolder(const std::string& path) {
  return examined_.count(path) != 0 || IsFolder(fs_, path);
}

const FolderInfo& Enumeration::examine(const std::string& path) {
  auto found = examined_.find(path);
  if (found == examined_.end()) {
    found = examined_.emplace(path, Examined{fs_.folderInfo(path), std::nullopt}).first;
  }
  return found->second.info;
}

// A drive's root is always descended into. Hidden system folders are not, and neither is a
// sub-folder that leads back to itself or to an ancestor: without that check a link loop,
// which carries no hidden or system mark on POSIX, would make the tree grow without bound.
bool Enumeration::isDescendable(const std::string& path, int depth) {
  const FolderInfo& info = examine(path);
  if (info.isRoot) return true;
  if (info.attributes == kHiddenSystemFolder || info.attributes == kHiddenSystemLinkFolder) {
    return false;
  }
  if (depth == 0) return true;  // the chosen folders themselves are not sub-folders
  Examined& record = examined_.at(path);
  if (!record.leadsBack) record.leadsBack = leadsBackToAncestor(path, info.id);
  return !*record.leadsBack;
}

// Compares the folder's identity with that of every folder above it on its path. Only a
// link or a mount point can lead back; a plain sub-folder on the same device cannot.
bool Enumeration::leadsBackToAncestor(const std::string& path, const platform::FileId& id) {
  if (!id.isKnown()) return false;
  std::string_view ancestor(path);
  ancestor.remove_suffix(1);  // the final separator
  bool checkAll = (examine(path).attributes & platform::attribute::kLink) != 0;
  bool first = true;
  for (std::size_t cut = ancestor.rfind(kSeparator); cut != std::string_view::npos;
       cut = ancestor.rfind(kSeparator)) {
    ancestor = ancestor.substr(0, cut + 1);
    std::optional<platform::FileId> ancestorId;
    try {
      ancestorId = examine(std::string(ancestor)).id;
    } catch (...) {
      // An ancestor that cannot be examined cannot be the folder either.
    }
    if (ancestorId && ancestorId->isKnown()) {
      if (first && !checkAll && ancestorId->device == id.device) return false;
      if (*ancestorId == id) return true;
    }
    first = false;
    checkAll = true;
    ancestor.remove_suffix(1);
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
