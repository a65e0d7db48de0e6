#include "export/posix/desktop_spreadsheets.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "common/failure.h"
#include "common/host.h"
#include "export/posix/xlsx_spreadsheet.h"
#include "platform/process.h"
#include "platform/process_launcher.h"

namespace plovane::posix {

namespace {

namespace fs = std::filesystem;

constexpr const char* kWorkbookName = "Results.xlsx";
constexpr const char* kFolderPrefix = "plovane-workbook-";

// Makes each missing folder of the path, readable by the user alone.
void makePrivateFolders(const std::string& path) {
  for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string partial = path.substr(0, end);
    if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) throw failureFromErrno(errno);
    if (end == std::string::npos) break;
  }
}

std::string newWorkbookFolder(const std::string& parent) {
  makePrivateFolders(parent);
  std::string pattern = parent + "/" + kFolderPrefix + "XXXXXX";
  if (!::mkdtemp(pattern.data())) throw failureFromErrno(errno);
  return pattern;
}

// A workbook must outlive the export until the program has read it, which takes a moment;
// a day later it is surely no longer needed. Only our own folders are touched, and a
// failure here must not stop the export.
void removeOldWorkbooks(const std::string& parent) {
  std::error_code error;
  const auto limit = fs::file_time_type::clock::now() - DesktopSpreadsheets::kKeptFor;
  for (const fs::directory_entry& entry : fs::directory_iterator(parent, error)) {
    if (entry.path().filename().string().rfind(kFolderPrefix, 0) != 0) continue;
    struct stat status {};
    if (::lstat(entry.path().c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::getuid()) {
      continue;
    }
    if (entry.last_write_time(error) < limit) fs::remove_all(entry.path(), error);
  }
}

std::string notOpenedMessage(const std::string& program, const std::string& reason,
                             const std::string& workbook) {
  return "The spreadsheet program " + program + " could not open the results. " + reason +
         ".\n\nThe workbook was written to:\n" + workbook +
         "\n\nOpen it from there by hand. It stays there for a day at least.";
}

// One export's workbook in a new private folder, opened in the program once it is saved.
class DesktopSpreadsheet final : public SpreadsheetApplication {
 public:
  DesktopSpreadsheet(std::string workbooksFolder, OpenCommand open, Host& host)
      : workbooksFolder_(std::move(workbooksFolder)), open_(std::move(open)), host_(host) {}

  void addWorkbook() override {
    if (file_) throw Failure("A workbook has already been added");
    removeOldWorkbooks(workbooksFolder_);
    const std::string folder = newWorkbookFolder(workbooksFolder_);
    file_ = std::make_unique<XlsxSpreadsheet>(
        folder + "/" + kWorkbookName, folder,
        [this](const std::string& path) { openInProgram(path); }, [this] { host_.yield(); });
    file_->addWorkbook();
  }
  void writeHeaderCell(std::size_t column, std::string_view text) override {
    workbook().writeHeaderCell(column, text);
  }
  void setCellValue(std::size_t row, std::size_t column, std::string_view text) override {
    workbook().setCellValue(row, column, text);
  }
  void addSheetAfterActive() override { workbook().addSheetAfterActive(); }
  void autoFitColumns() override { workbook().autoFitColumns(); }
  void makeVisible() override { workbook().makeVisible(); }

 private:
  // A program that fails to start, or ends at once with a failure (a build without a
  // window system, a broken installation), is no fault of ours to report as an error: a
  // message names it and says where the workbook is, to be opened by hand.
  void openInProgram(const std::string& workbook) {
    const std::vector<std::string> command = open_(workbook);
    try {
      platform::startDetached(command, DesktopSpreadsheets::kStartGracePeriod,
                              [this] { host_.yield(); });
    } catch (const Failure& failure) {
      host_.showMessage(notOpenedMessage(command.front(), failure.what(), workbook));
    }
  }

  XlsxSpreadsheet& workbook() {
    if (!file_) throw Failure("No workbook has been added");
    return *file_;
  }

  std::string workbooksFolder_;
  OpenCommand open_;
  Host& host_;
  std::unique_ptr<XlsxSpreadsheet> file_;
};

}  // namespace

DesktopSpreadsheets::DesktopSpreadsheets(DesktopEnvironment environment)
    : environment_(std::move(environment)) {}

std::string DesktopSpreadsheets::workbooksFolder() const {
  if (environment_.cacheFolder.empty()) return platform::temporaryFolder();
  return environment_.cacheFolder + "/Kestrune/Plovane/workbooks";
}

std::unique_ptr<SpreadsheetApplication> DesktopSpreadsheets::create(Host& host) {
  std::optional<OpenCommand> program = findSpreadsheetProgram(environment_);
  if (!program) throw Failure("No spreadsheet program can be started");
  // The folder is made only when a workbook is added: the availability probe creates and
  // drops an application, and leaves nothing behind.
  return std::make_unique<DesktopSpreadsheet>(workbooksFolder(), std::move(*program), host);
}

}  // namespace plovane::posix
