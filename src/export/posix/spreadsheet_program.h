#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plovane::posix {

// Where the desktop keeps what the spreadsheet export looks up.
struct DesktopEnvironment {
  // Folders searched for programs, separated by ":" (PATH).
  std::string searchPath;
  // Folders whose applications/ sub-folder holds the desktop entries, the user's first.
  std::vector<std::string> dataFolders;
  // The user's cache folder, where temporary workbooks are kept; empty when there is none.
  std::string cacheFolder;

  static DesktopEnvironment ofThisProcess();
};

// The command line that opens a workbook file, the program's full path first.
using OpenCommand = std::function<std::vector<std::string>(const std::string& workbook)>;

// The program that opens .xlsx workbooks: LibreOffice (soffice, or localc) as a new, untitled
// document, or else the desktop's default handler of the workbook type. Nothing when there is
// none that can be started.
std::optional<OpenCommand> findSpreadsheetProgram(const DesktopEnvironment& environment);

// The full path of an executable program on the search path, or nothing.
std::optional<std::string> findOnSearchPath(std::string_view name, std::string_view searchPath);

// The arguments of a desktop entry's Exec value for opening one file: quoting and escapes
// resolved, the file put where a file or URL field code stands (or last when none does),
// other field codes dropped. Nothing when the value is malformed or empty.
std::optional<std::vector<std::string>> desktopEntryArguments(std::string_view exec,
                                                              const std::string& file);

}  // namespace plovane::posix
