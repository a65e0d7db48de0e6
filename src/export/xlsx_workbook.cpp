#include "export/xlsx_workbook.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <future>
#include <utility>

#include "common/failure.h"
#include "common/utf.h"

namespace plovane {

namespace {

void check(lxw_error error) {
  if (error != LXW_NO_ERROR) throw Failure(lxw_strerror(error));
}

bool isValidUtf8(std::string_view text) {
  for (std::size_t position = 0; position < text.size();) {
    if (static_cast<unsigned char>(text[position]) < 0x80) {
      ++position;
      continue;
    }
    const DecodedCharacter character = decodeUtf8At(text, position);
    if (!character.wellFormed) return false;
    position += character.byteCount;
  }
  return true;
}

// A file name on POSIX may hold bytes that are not UTF-8, which the workbook's XML cannot
// carry; each such byte stands for one replacement character, as it counts in widths.
void appendValidUtf8(std::string& out, std::string_view text) {
  if (isValidUtf8(text)) {
    out.append(text);
    return;
  }
  for (std::size_t position = 0; position < text.size();) {
    const DecodedCharacter character = decodeUtf8At(text, position);
    if (character.wellFormed) {
      out.append(text.substr(position, character.byteCount));
    } else {
      out.append("\xEF\xBF\xBD");
    }
    position += character.byteCount;
  }
}

// Column widths are in characters of the default font; a little room keeps the last one
// clear of the border. A column is at most 255 characters wide.
double columnWidth(std::size_t characters) {
  return std::min(255.0, static_cast<double>(characters) + 1.0);
}

}  // namespace

XlsxWorkbook::XlsxWorkbook(std::string path, std::string temporaryFolder)
    : path_(std::move(path)), temporaryFolder_(std::move(temporaryFolder)) {
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  options.tmpdir = temporaryFolder_.empty() ? nullptr : temporaryFolder_.data();
  workbook_ = workbook_new_opt(path_.c_str(), &options);
  if (!workbook_) throw Failure("The workbook could not be created");
  addSheet();
}

XlsxWorkbook::~XlsxWorkbook() {
  // Never saved: nothing is written, the temporary data goes.
  if (workbook_) lxw_workbook_free(workbook_);
}

lxw_workbook& XlsxWorkbook::workbook() const {
  if (!workbook_) throw Failure("The workbook has already been saved");
  return *workbook_;
}

XlsxWorkbook::Sheet& XlsxWorkbook::activeSheet() {
  workbook();
  return sheets_.back();
}

void XlsxWorkbook::addSheet() {
  lxw_worksheet* worksheet = workbook_add_worksheet(&workbook(), nullptr);
  if (!worksheet) throw Failure("No sheet could be added to the workbook");
  if (!sheets_.empty()) worksheet_activate(worksheet);
  sheets_.push_back(Sheet{worksheet, 0, {}});
}

void XlsxWorkbook::writeText(std::size_t row, std::size_t column, std::string_view text) {
  Sheet& sheet = activeSheet();
  if (row < 1 || row > kRowLimit || column < 1 || column > kColumnLimit) {
    throw Failure("The cell is outside the sheet", failure_code::kOutOfRange);
  }
  // Earlier rows are already on disk.
  if (row < sheet.lastRow) throw Failure("A row of the sheet was written out of order");
  std::string value;
  appendValidUtf8(value, text);
  check(worksheet_write_string(sheet.worksheet, static_cast<lxw_row_t>(row - 1),
                               static_cast<lxw_col_t>(column - 1), value.c_str(), nullptr));
  sheet.lastRow = row;
  if (sheet.widths.size() < column) sheet.widths.resize(column, 0);
  sheet.widths[column - 1] = std::max(sheet.widths[column - 1], utf16Length(text));
}

void XlsxWorkbook::fitColumns() {
  workbook();
  for (const Sheet& sheet : sheets_) {
    for (std::size_t column = 0; column < sheet.widths.size(); ++column) {
      if (sheet.widths[column] == 0) continue;
      const auto index = static_cast<lxw_col_t>(column);
      check(worksheet_set_column(sheet.worksheet, index, index, columnWidth(sheet.widths[column]),
                                 nullptr));
    }
  }
}

void XlsxWorkbook::save(const std::function<void()>& whileWaiting) {
  lxw_workbook* const workbook = &this->workbook();
  workbook_ = nullptr;  // closed and freed, whatever the outcome
  // The error and errno of the thread that wrote the file; errno is per thread.
  auto close = [workbook] {
    errno = 0;
    const lxw_error error = workbook_close(workbook);
    return std::pair(error, errno);
  };
  std::pair<lxw_error, int> outcome;
  if (whileWaiting) {
    // Nothing else touches the workbook meanwhile. The future's end waits for the thread
    // even when whileWaiting throws.
    std::future<std::pair<lxw_error, int>> closing = std::async(std::launch::async, close);
    while (closing.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready) {
      whileWaiting();
    }
    outcome = closing.get();
  } else {
    outcome = close();
  }
  const auto [error, systemError] = outcome;
  // The system's reason ("Disk full", "Path not found") tells the user more than the zip's.
  const bool fileFailed =
      error == LXW_ERROR_CREATING_XLSX_FILE || error == LXW_ERROR_ZIP_FILE_OPERATION;
  if (fileFailed && systemError != 0) throw failureFromErrno(systemError);
  check(error);
}

}  // namespace plovane
