#include "export/posix/xlsx_workbook.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <future>
#include <utility>

#include "common/failure.h"
#include "common/utf.h"
#include "platform/output_file.h"

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

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The writer itself puts control characters other than tab and line feed as "_xHHHH_".
bool isWrittenAsEscape(char c) {
  return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n';
}

// Whether the text at this place would be read back as the escape "_xHHHH_" of one
// character, counting the escape the writer makes of a control character as its "_".
bool startsCharacterEscape(std::string_view text, std::size_t at) {
  if (text.size() - at < 7 || text.compare(at, 2, "_x") != 0) return false;
  return std::all_of(text.begin() + at + 2, text.begin() + at + 6, isHexDigit) &&
         (text[at + 6] == '_' || isWrittenAsEscape(text[at + 6]));
}

// A cell's text as the workbook must hold it to read back unchanged: valid UTF-8, and each
// "_" that would start an escape written as "_x005F_", the escape of "_" itself. The
// writer escapes control characters, but not this.
void appendCellText(std::string& out, std::string_view text) {
  if (text.find("_x") == std::string_view::npos) {
    appendValidUtf8(out, text);
    return;
  }
  std::string valid;
  appendValidUtf8(valid, text);
  for (std::size_t at = 0; at < valid.size(); ++at) {
    if (startsCharacterEscape(valid, at)) out += "_x005F";
    out += valid[at];
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
  file_ = std::make_unique<platform::ReplacingFile>(path_);
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  options.tmpdir = temporaryFolder_.empty() ? nullptr : temporaryFolder_.data();
  workbook_ = workbook_new_opt(file_->temporaryPath().c_str(), &options);
  if (!workbook_) throw Failure("The workbook could not be created");
  addSheet();
}

// Never saved: nothing is written, the temporary data and file go.
XlsxWorkbook::~XlsxWorkbook() {
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
  appendCellText(value, text);
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
  if (error != LXW_NO_ERROR) file_->discard();
  if (fileFailed && systemError != 0) throw failureFromErrno(systemError);
  check(error);
  file_->commit();
}

}  // namespace plovane
