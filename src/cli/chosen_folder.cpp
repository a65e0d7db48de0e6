#include "cli/chosen_folder.h"

#include <string_view>

#include "common/failure.h"
#include "scan/folder_tree.h"

namespace plovane::cli {

namespace {

platform::FileId identityOf(const platform::FileSystem& fs, const std::string& folder) {
  try {
    return fs.folderInfo(folder).id;
  } catch (const Failure&) {
    return {};
  }
}

}  // namespace

std::optional<std::string> folderProblem(const platform::FileSystem& fs,
                                         const std::string& argument, const std::string& folder) {
  if (argument.empty()) return "a folder argument is empty";
  if (!IsFolder(fs, folder)) return "folder not found: " + argument;
  struct Listed {};
  try {
    fs.forEachEntry(folder, [](std::string_view, platform::EntryKind) { throw Listed(); });
  } catch (const Listed&) {
  } catch (const Failure& failure) {
    return "cannot read folder " + argument + ": " + failure.what();
  }
  return std::nullopt;
}

ChosenFolder watchFolder(const platform::FileSystem& fs, const std::string& argument,
                         const std::string& folder) {
  return {argument, folder, identityOf(fs, folder)};
}

std::optional<std::string> changedDuringRun(const platform::FileSystem& fs,
                                            const ChosenFolder& chosen) {
  if (!IsFolder(fs, chosen.folder)) return "folder vanished during the run: " + chosen.argument;
  const platform::FileId now = identityOf(fs, chosen.folder);
  if (now.isKnown() && chosen.id.isKnown() && now != chosen.id) {
    return "folder was unmounted or replaced during the run: " + chosen.argument;
  }
  if (const auto problem = folderProblem(fs, chosen.argument, chosen.folder)) {
    return *problem + " (during the run)";
  }
  return std::nullopt;
}

}  // namespace plovane::cli
