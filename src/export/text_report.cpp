#include "export/text_report.h"

#include <cstddef>
#include <string_view>
#include <vector>

#include "common/error_report.h"
#include "common/host.h"
#include "common/result_list.h"
#include "common/trap.h"
#include "common/utf.h"
#include "export/report_file.h"

namespace plovane {

namespace {

// One padded cell: the text, spaces up to the width, and the tab that ends every column.
void appendPadded(std::string& line, std::string_view text, std::size_t length, std::size_t width) {
  line += text;
  if (width > length) line.append(width - length, ' ');
  line += '\t';
}

void appendUnpadded(std::string& line, std::string_view text) {
  line += text;
  line += '\t';
}

// The steps of one pass over a list. The counts are read when each loop starts, and every
// cell is read afresh when it is needed: another handler may empty the list during a
// yield, and each later read of a vanished row then fails at its own step.
class TextReport {
 public:
  TextReport(const ResultList& list, Host& host)
      : list_(list), host_(host), trap_(host, label::kSaveListview) {}

  // open starts the file, at its own step.
  template <class Open>
  void save(Open&& open) {
    measureColumns();
    trap_.step(132, [&] { line_.clear(); });
    trap_.step(136, [&] { open(file_); });
    writeHeaderLine();
    writeRows();
    trap_.step(184, [&] { file_.close(); });
  }

 private:
  std::string_view header(std::size_t column) const { return list_.column(column).header; }
  std::string_view text(std::size_t row, std::size_t column) const {
    return list_.cell(row, column).view();
  }
  std::size_t width(std::size_t column) const {
    return column < widths_.size() ? widths_[column] : 0;
  }

  void measureColumns() {
    trap_.step(100, [&] { widths_.clear(); });
    const std::size_t columns = list_.columnCount();
    for (std::size_t column = 0; column < columns; ++column) {
      std::size_t longest = 0;
      if (trap_.test(106, [&] { return longest < utf16Length(header(column)); })) {
        trap_.step(108, [&] { longest = utf16Length(header(column)); });
      }
      const std::size_t rows = list_.rowCount();
      for (std::size_t row = 0; row < rows; ++row) {
        host_.yield();
        const int testStep = column == 0 ? 116 : 120;
        if (trap_.test(testStep, [&] { return longest < utf16Length(text(row, column)); })) {
          trap_.step(testStep + 2, [&] { longest = utf16Length(text(row, column)); });
        }
      }
      trap_.step(126, [&] { widths_.push_back(longest); });
    }
  }

  void writeHeaderLine() {
    const std::size_t columns = list_.columnCount();
    for (std::size_t column = 0; column < columns; ++column) {
      host_.yield();
      appendColumn(142, column, [&] { return header(column); });
    }
    trap_.step(150, [&] { file_.writeLine(line_); });
  }

  void writeRows() {
    const std::size_t rows = list_.rowCount();
    for (std::size_t row = 0; row < rows; ++row) {
      host_.yield();
      trap_.step(156, [&] { line_.clear(); });
      if (!trap_.test(158, [&] { return list_.isChecked(row); })) continue;
      const std::size_t columns = list_.columnCount();
      for (std::size_t column = 0; column < columns; ++column) {
        host_.yield();
        appendColumn(column == 0 ? 166 : 172, column, [&] { return text(row, column); });
      }
      trap_.step(180, [&] { file_.writeLine(line_); });
    }
  }

  // The test of one column at testStep, then the padded (testStep + 2) or the bare
  // (testStep + 4) text. Both read the text afresh, as each step does on its own.
  template <class Text>
  void appendColumn(int testStep, std::size_t column, Text&& readText) {
    std::size_t length = 0;
    if (trap_.test(testStep, [&] {
          length = utf16Length(readText());
          return width(column) >= length;
        })) {
      // Nothing yields between the test and here, so the length measured there still holds.
      trap_.step(testStep + 2, [&] { appendPadded(line_, readText(), length, width(column)); });
    } else {
      trap_.step(testStep + 4, [&] { appendUnpadded(line_, readText()); });
    }
  }

  const ResultList& list_;
  Host& host_;
  Trap trap_;
  std::vector<std::size_t> widths_;
  std::string line_;
  ReportFile file_;
};

}  // namespace

void SaveListviewProperlySpacedWithoutProgressBar(const ResultList& list,
                                                  const std::string& fileName, Host& host) {
  TextReport(list, host).save([&](ReportFile& file) { file.open(fileName); });
}

void writeTextReport(const ResultList& list, std::FILE* stream, Host& host) {
  TextReport(list, host).save([&](ReportFile& file) { file.openStream(stream); });
}

}  // namespace plovane
