#pragma once

#include <memory>
#include <optional>
#include <string>

#include "export/spreadsheet_application.h"

namespace plovane::win32 {

// Excel, started through its automation interface (class "Excel.Application"). Each
// application is a new Excel; it is left running and visible after the export, holding the
// unsaved workbook. With a file given, the workbook is saved there instead and that Excel
// quits, for writing the results without a window.
class ExcelApplications final : public SpreadsheetApplications {
 public:
  ExcelApplications() = default;
  explicit ExcelApplications(std::string saveAs) : saveAs_(std::move(saveAs)) {}

  // Fails when Excel cannot be started, for instance when it is not installed.
  std::unique_ptr<SpreadsheetApplication> create(Host& host) override;

 private:
  std::optional<std::string> saveAs_;
};

}  // namespace plovane::win32
