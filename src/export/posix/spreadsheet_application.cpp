#include "export/spreadsheet_application.h"

#include "export/posix/desktop_spreadsheets.h"

namespace plovane {

// The desktop's spreadsheet program, opening a workbook written for it.
SpreadsheetApplications& nativeSpreadsheets() {
  static posix::DesktopSpreadsheets spreadsheets;
  return spreadsheets;
}

}  // namespace plovane
