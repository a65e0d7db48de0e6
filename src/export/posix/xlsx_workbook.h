#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "export/spreadsheet_application.h"

struct lxw_workbook;
namespace plovane::platform {
class ReplacingFile;
}
struct lxw_worksheet;

namespace plovane {

// An .xlsx workbook written with libxlsxwriter, row by row: each row goes to disk when the
// next one starts, so a workbook of a million rows takes no more memory than a small one.
// Rows and columns count from 1. Rows must be written in order within a sheet; a row written
// after a later one is lost, so the writer refuses it. Every failure is a Failure.
class XlsxWorkbook {
 public:
  // The file is written at save(), under a temporary name beside path that takes its place
  // only once it is complete: a workbook never saved, or whose saving fails, leaves path as
  // it was. Temporary data goes into temporaryFolder, or the system's temporary folder when
  // it is empty.
  explicit XlsxWorkbook(std::string path, std::string temporaryFolder = {});
  ~XlsxWorkbook();
  XlsxWorkbook(const XlsxWorkbook&) = delete;
  XlsxWorkbook& operator=(const XlsxWorkbook&) = delete;

  static constexpr std::size_t kRowLimit = kSheetRowLimit;
  static constexpr std::size_t kColumnLimit = 16384;

  // Writes a text cell into the active sheet. The text stays text, whatever it looks like.
  void writeText(std::size_t row, std::size_t column, std::string_view text);
  // A new sheet after the active one becomes the active one.
  void addSheet();
  // Sets every column of every sheet to the width of its longest text.
  void fitColumns();
  // Writes the file; nothing can be written afterwards. Compressing a large workbook takes
  // seconds: with whileWaiting given, the file is written on a thread of its own and
  // whileWaiting is called every few milliseconds until it is done.
  void save(const std::function<void()>& whileWaiting = {});

  const std::string& path() const noexcept { return path_; }

 private:
  struct Sheet {
    lxw_worksheet* worksheet = nullptr;
    std::size_t lastRow = 0;
    // The longest text of each column so far, in UTF-16 code units.
    std::vector<std::size_t> widths;
  };

  lxw_workbook& workbook() const;
  Sheet& activeSheet();

  std::string path_;
  std::string temporaryFolder_;
  std::unique_ptr<platform::ReplacingFile> file_;
  lxw_workbook* workbook_ = nullptr;
  std::vector<Sheet> sheets_;
};

}  // namespace plovane
