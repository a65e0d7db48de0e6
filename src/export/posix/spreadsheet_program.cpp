#include "export/posix/spreadsheet_program.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

#include "platform/process_launcher.h"

namespace plovane::posix {

namespace {

constexpr std::string_view kWorkbookType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

// xdg-mime is a script that may ask a desktop service; it gets a few seconds.
constexpr std::chrono::milliseconds kQueryTimeLimit{5000};

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::vector<std::string> splitFolders(std::string_view list) {
  std::vector<std::string> folders;
  while (!list.empty()) {
    const std::size_t end = list.find(':');
    const std::string_view folder = list.substr(0, end);
    if (!folder.empty()) folders.emplace_back(folder);
    if (end == std::string_view::npos) break;
    list.remove_prefix(end + 1);
  }
  return folders;
}

bool isExecutableFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

std::string trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(first, last - first + 1));
}

// A desktop entry's string value with its escapes resolved; a backslash before any other
// character is left for the quoting rules of Exec.
std::string unescapedValue(std::string_view raw) {
  std::string value;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size()) {
      const char escaped = raw[i + 1];
      const char* const replacement = escaped == 's'    ? " "
                                      : escaped == 'n'  ? "\n"
                                      : escaped == 't'  ? "\t"
                                      : escaped == 'r'  ? "\r"
                                      : escaped == '\\' ? "\\"
                                                        : nullptr;
      if (replacement) {
        value += replacement;
        ++i;
        continue;
      }
    }
    value += raw[i];
  }
  return value;
}

// The Exec value of the [Desktop Entry] group, with the file's own escapes resolved.
std::optional<std::string> desktopEntryExec(const std::string& path) {
  std::ifstream file(path);
  if (!file) return std::nullopt;
  std::string line;
  bool inEntryGroup = false;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') {
      inEntryGroup = line == "[Desktop Entry]";
      continue;
    }
    if (!inEntryGroup || line.rfind("Exec", 0) != 0) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos || trimmed(line.substr(4, equals - 4)) != "") continue;
    return unescapedValue(trimmed(line.substr(equals + 1)));
  }
  return std::nullopt;
}

std::optional<OpenCommand> defaultHandler(const DesktopEnvironment& environment) {
  const auto query = findOnSearchPath("xdg-mime", environment.searchPath);
  if (!query) return std::nullopt;
  const auto answer =
      platform::outputOf({*query, "query", "default", std::string(kWorkbookType)}, kQueryTimeLimit);
  if (!answer) return std::nullopt;
  const std::string entryName = trimmed(*answer);
  if (entryName.empty() || entryName.find('/') != std::string::npos) return std::nullopt;
  for (const std::string& folder : environment.dataFolders) {
    const auto exec = desktopEntryExec(folder + "/applications/" + entryName);
    if (!exec) continue;
    // A handler whose program is missing cannot be started.
    const auto probe = desktopEntryArguments(*exec, "probe.xlsx");
    if (!probe) return std::nullopt;
    const std::string& program = probe->front();
    const auto path = program.find('/') == std::string::npos
                          ? findOnSearchPath(program, environment.searchPath)
                          : (isExecutableFile(program) ? std::optional(program) : std::nullopt);
    if (!path) return std::nullopt;
    return OpenCommand([exec = *exec, path = *path](const std::string& workbook) {
      std::vector<std::string> arguments = *desktopEntryArguments(exec, workbook);
      arguments.front() = path;
      return arguments;
    });
  }
  return std::nullopt;
}

}  // namespace

DesktopEnvironment DesktopEnvironment::ofThisProcess() {
  DesktopEnvironment environment;
  environment.searchPath = environmentValue("PATH");
  const std::string home = environmentValue("HOME");
  std::string dataHome = environmentValue("XDG_DATA_HOME");
  if (dataHome.empty() && !home.empty()) dataHome = home + "/.local/share";
  if (!dataHome.empty()) environment.dataFolders.push_back(dataHome);
  std::string dataDirs = environmentValue("XDG_DATA_DIRS");
  if (dataDirs.empty()) dataDirs = "/usr/local/share:/usr/share";
  for (std::string& folder : splitFolders(dataDirs))
    environment.dataFolders.push_back(std::move(folder));
  environment.cacheFolder = environmentValue("XDG_CACHE_HOME");
  if (environment.cacheFolder.empty() && !home.empty()) environment.cacheFolder = home + "/.cache";
  return environment;
}

std::optional<std::string> findOnSearchPath(std::string_view name, std::string_view searchPath) {
  for (const std::string& folder : splitFolders(searchPath)) {
    std::string path = folder + "/" + std::string(name);
    if (isExecutableFile(path)) return path;
  }
  return std::nullopt;
}

std::optional<OpenCommand> findSpreadsheetProgram(const DesktopEnvironment& environment) {
  // -n opens the workbook as a new, untitled document made from it.
  if (auto soffice = findOnSearchPath("soffice", environment.searchPath)) {
    return OpenCommand([path = *soffice](const std::string& workbook) {
      return std::vector<std::string>{path, "--calc", "-n", workbook};
    });
  }
  if (auto localc = findOnSearchPath("localc", environment.searchPath)) {
    return OpenCommand([path = *localc](const std::string& workbook) {
      return std::vector<std::string>{path, "-n", workbook};
    });
  }
  return defaultHandler(environment);
}

std::optional<std::vector<std::string>> desktopEntryArguments(std::string_view exec,
                                                              const std::string& file) {
  std::vector<std::string> arguments;
  bool fileUsed = false;
  std::size_t i = 0;
  while (i < exec.size()) {
    if (exec[i] == ' ' || exec[i] == '\t') {
      ++i;
      continue;
    }
    std::string argument;
    bool onlyDroppedCodes = true;
    while (i < exec.size() && exec[i] != ' ' && exec[i] != '\t') {
      const char c = exec[i];
      if (c == '"') {
        // Inside quotes a backslash escapes ", `, $ and itself; field codes stay literal.
        onlyDroppedCodes = false;
        for (++i;; ++i) {
          if (i == exec.size()) return std::nullopt;
          if (exec[i] == '"') break;
          if (exec[i] == '\\' && i + 1 < exec.size()) ++i;
          argument += exec[i];
        }
        ++i;
      } else if (c == '%' && i + 1 < exec.size()) {
        const char code = exec[i + 1];
        i += 2;
        if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
          argument += file;
          fileUsed = true;
          onlyDroppedCodes = false;
        } else if (code == '%') {
          argument += '%';
          onlyDroppedCodes = false;
        }
      } else {
        if (c == '\\' && i + 1 < exec.size()) ++i;
        argument += exec[i++];
        onlyDroppedCodes = false;
      }
    }
    if (!onlyDroppedCodes) arguments.push_back(std::move(argument));
  }
  if (arguments.empty()) return std::nullopt;
  if (!fileUsed) arguments.push_back(file);
  return arguments;
}

}  // namespace plovane::posix
