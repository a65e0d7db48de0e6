#pragma once

#include <memory>

#include "export/spreadsheet_application.h"

namespace plovane::win32 {

// Excel, started through its automation interface (class "Excel.Application"). Each
// application is a new Excel; it is left running and visible after the export, holding the
// unsaved workbook.
class ExcelApplications final : public SpreadsheetApplications {
 public:
  // Fails when Excel cannot be started, for instance when it is not installed.
  std::unique_ptr<SpreadsheetApplication> create(Host& host) override;
};

}  // namespace plovane::win32
