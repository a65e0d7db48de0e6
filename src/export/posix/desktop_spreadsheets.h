#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "export/posix/spreadsheet_program.h"
#include "export/spreadsheet_application.h"

namespace plovane::posix {

// Spreadsheet applications of the desktop: each writes its workbook into a private temporary
// folder and then opens it in the desktop's spreadsheet program, without waiting for it.
// When the program cannot be started or ends at once with a failure, a message says where
// the workbook is. The folders live below the user's cache folder
// (Kestrune/Plovane/workbooks/), or the system's temporary folder when there is none; those
// older than a day go at the next export.
class DesktopSpreadsheets final : public SpreadsheetApplications {
 public:
  explicit DesktopSpreadsheets(
      DesktopEnvironment environment = DesktopEnvironment::ofThisProcess());

  // Fails when no program that opens workbooks can be started.
  std::unique_ptr<SpreadsheetApplication> create(Host& host) override;

  // The folder that holds the temporary workbook folders.
  std::string workbooksFolder() const;

  static constexpr std::chrono::hours kKeptFor{24};
  // How long a started program is watched for an early failure; the window stays
  // responsive meanwhile. One that fails later (after its own slow start) goes unseen.
  static constexpr std::chrono::milliseconds kStartGracePeriod{1000};

 private:
  DesktopEnvironment environment_;
};

}  // namespace plovane::posix
