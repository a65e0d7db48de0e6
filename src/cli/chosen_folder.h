#pragma once

#include <optional>
#include <string>

#include "platform/file_system.h"

namespace plovane::cli {

// A folder named on the command line, as it was when the run started.
struct ChosenFolder {
  std::string argument;  // as the user typed it, for messages
  std::string folder;    // with its final separator
  platform::FileId id;
};

// What keeps a named folder from being compared (missing, not a folder, unreadable), as one
// line; nothing when it can be read. The window would quietly list nothing instead.
std::optional<std::string> folderProblem(const platform::FileSystem& fs,
                                         const std::string& argument, const std::string& folder);

// The folder and its identity now, to be checked again after the run.
ChosenFolder watchFolder(const platform::FileSystem& fs, const std::string& argument,
                         const std::string& folder);

// A folder that vanished, became unreadable, or was unmounted or replaced while the trees
// were read, as one line: the rows then tell of a tree that was not there, not of
// differences.
std::optional<std::string> changedDuringRun(const platform::FileSystem& fs,
                                            const ChosenFolder& chosen);

}  // namespace plovane::cli
