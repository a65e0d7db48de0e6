#include "export/clipboard_text.h"

#include <cstddef>
#include <numeric>
#include <utility>
#include <vector>

#include "common/host.h"
#include "common/result_list.h"
#include "common/utf.h"
#include "export/clipboard.h"

namespace plovane {

namespace {

std::vector<std::size_t> columnWidths(const ResultList& list, Host& host) {
  std::vector<std::size_t> widths;
  const std::size_t columns = list.columnCount();
  for (std::size_t column = 0; column < columns; ++column) {
    std::size_t longest = 0;
    const std::size_t rows = list.rowCount();
    for (std::size_t row = 0; row < rows; ++row) {
      host.yield();
      const std::size_t length = utf16Length(list.cell(row, column).view());
      if (longest < length) longest = length;
    }
    widths.push_back(longest);
  }
  return widths;
}

// The line of one row, appended to text. The spaces that pad the last column are trimmed,
// and with them any that end its text.
void appendLine(std::string& text, const ResultList& list, std::size_t row,
                const std::vector<std::size_t>& widths, std::string_view lineEnd, Host& host) {
  const std::size_t columns = list.columnCount();
  for (std::size_t column = 0; column < columns; ++column) {
    host.yield();
    const std::string_view cell = list.cell(row, column).view();
    const std::size_t length = utf16Length(cell);
    const std::size_t width = column < widths.size() ? widths[column] : 0;
    text += cell;
    if (width > length) text.append(width - length, ' ');
    text += '\t';
  }
  if (columns > 0) text.pop_back();
  const std::size_t kept = text.find_last_not_of(' ');
  text.erase(kept == std::string::npos ? 0 : kept + 1);
  text += lineEnd;
}

}  // namespace

std::string clipboardText(const ResultList& list, Host& host, std::string_view lineEnd) {
  const std::vector<std::size_t> widths = columnWidths(list, host);
  const std::size_t rows = list.rowCount();
  std::string text;
  // At most every checked row at full width: one allocation instead of a copy at each
  // growth of a text that can run to hundreds of megabytes.
  std::size_t checkedRows = 0;
  for (std::size_t row = 0; row < rows; ++row) checkedRows += list.isChecked(row) ? 1 : 0;
  const std::size_t lineLimit = std::accumulate(widths.begin(), widths.end(), std::size_t{0}) +
                                widths.size() + lineEnd.size();
  text.reserve(checkedRows * lineLimit);
  for (std::size_t row = 0; row < rows; ++row) {
    host.yield();
    if (list.isChecked(row)) appendLine(text, list, row, widths, lineEnd, host);
  }
  return text;
}

void CopyListviewToClipboard(const ResultList& list, Host& host, Clipboard& clipboard) {
  if (list.rowCount() == 0) return;
  std::string text = clipboardText(list, host);
  ClearClipboard(clipboard);
  // The clipboard keeps this text, not a copy of it.
  SetClipboardText(clipboard, std::move(text), kDefaultTextFormat);
}

}  // namespace plovane
