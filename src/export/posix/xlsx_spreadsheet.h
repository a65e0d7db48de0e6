#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "export/posix/xlsx_workbook.h"
#include "export/spreadsheet_application.h"

namespace plovane {

// A spreadsheet application that writes its workbook into an .xlsx file. Making it visible
// saves the file and then hands its path to `show`, which may open it in a program; without
// one the file is simply left where it is. While the file is saved, `whileSaving` is called
// every few milliseconds (the window yields there).
class XlsxSpreadsheet final : public SpreadsheetApplication {
 public:
  using Show = std::function<void(const std::string& path)>;

  explicit XlsxSpreadsheet(std::string path, std::string temporaryFolder = {}, Show show = {},
                           std::function<void()> whileSaving = {});

  void addWorkbook() override;
  void writeHeaderCell(std::size_t column, std::string_view text) override;
  void setCellValue(std::size_t row, std::size_t column, std::string_view text) override;
  void addSheetAfterActive() override;
  void autoFitColumns() override;
  void makeVisible() override;

 private:
  XlsxWorkbook& workbook();

  std::string path_;
  std::string temporaryFolder_;
  Show show_;
  std::function<void()> whileSaving_;
  std::optional<XlsxWorkbook> workbook_;
};

// Spreadsheet applications that save their workbook to one given file, for writing the
// results without a window.
class XlsxFileSpreadsheets final : public SpreadsheetApplications {
 public:
  explicit XlsxFileSpreadsheets(std::string path) : path_(std::move(path)) {}
  std::unique_ptr<SpreadsheetApplication> create(Host& host) override;

 private:
  std::string path_;
};

}  // namespace plovane
