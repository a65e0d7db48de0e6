#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/failure.h"
#include "export/spreadsheet_application.h"

namespace plovane::test {

// What one spreadsheet application was given; it outlives the application.
struct SpreadsheetRecord {
  // A sheet: (row, column) -> text.
  using Sheet = std::map<std::pair<std::size_t, std::size_t>, std::string>;

  std::vector<Sheet> sheets;
  bool visible = false;
  bool released = false;
};

// A spreadsheet application that keeps its sheets in memory and logs every call, so that a
// test can check both the sheets that result and the order of the calls.
class RecordingSpreadsheet final : public SpreadsheetApplication {
 public:
  RecordingSpreadsheet(std::shared_ptr<SpreadsheetRecord> record, std::vector<std::string>& log,
                       std::size_t rowLimit, std::size_t failFromCall,
                       std::function<void(const std::string&)> onCall)
      : record_(std::move(record)),
        log_(log),
        rowLimit_(rowLimit),
        failFromCall_(failFromCall),
        onCall_(std::move(onCall)) {}
  ~RecordingSpreadsheet() override { record_->released = true; }

  void addWorkbook() override {
    note("addWorkbook");
    record_->sheets.emplace_back();
  }
  void writeHeaderCell(std::size_t column, std::string_view text) override {
    note("header");
    put(1, column, text);
  }
  void setCellValue(std::size_t row, std::size_t column, std::string_view text) override {
    note("cell");
    put(row, column, text);
  }
  std::size_t rowLimit() const override { return rowLimit_; }
  void addSheetAfterActive() override {
    note("addSheet");
    record_->sheets.emplace_back();
  }
  void autoFitColumns() override { note("autoFit"); }
  void makeVisible() override {
    note("makeVisible");
    record_->visible = true;
  }

 private:
  void note(const char* call) {
    log_.push_back(call);
    if (onCall_) onCall_(call);
    if (++calls_ >= failFromCall_) throw Failure("The remote server machine does not exist");
  }
  void put(std::size_t row, std::size_t column, std::string_view text) {
    if (record_->sheets.empty()) throw Failure("No workbook");
    if (row < 1 || row > rowLimit_ || column < 1) throw Failure("Past the sheet's edge");
    record_->sheets.back()[{row, column}] = std::string(text);
  }

  std::shared_ptr<SpreadsheetRecord> record_;
  std::vector<std::string>& log_;
  std::size_t rowLimit_;
  std::size_t failFromCall_;
  std::function<void(const std::string&)> onCall_;
  std::size_t calls_ = 0;
};

// Starts recording applications, or fails to start any when none is "installed".
class RecordingSpreadsheets final : public SpreadsheetApplications {
 public:
  static constexpr std::size_t kNever = static_cast<std::size_t>(-1);

  std::unique_ptr<SpreadsheetApplication> create(Host& /*host*/) override {
    log.push_back("create");
    if (!installed) throw Failure("ActiveX component can't create object");
    created.push_back(std::make_shared<SpreadsheetRecord>());
    return std::make_unique<RecordingSpreadsheet>(created.back(), log, rowLimit, failFromCall,
                                                  onCall);
  }

  // The records of the applications created, the availability probe's included.
  std::vector<std::shared_ptr<SpreadsheetRecord>> created;
  std::vector<std::string> log;
  bool installed = true;
  std::size_t rowLimit = kSheetRowLimit;
  // The call of each application (counted from 1) from which on every call fails.
  std::size_t failFromCall = kNever;
  // Runs inside every call of every application, as the program would take its time there.
  std::function<void(const std::string&)> onCall;
};

}  // namespace plovane::test
