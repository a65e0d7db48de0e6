#include "export/spreadsheet_application.h"

#include "export/win32/excel_application.h"

namespace plovane {

// Excel, driven through its automation interface.
SpreadsheetApplications& nativeSpreadsheets() {
  static win32::ExcelApplications spreadsheets;
  return spreadsheets;
}

}  // namespace plovane
