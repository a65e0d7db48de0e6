#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/result_list.h"
#include "export/clipboard.h"
#include "export/clipboard_text.h"
#include "recording_host.h"

namespace plovane::test {
namespace {

struct Row {
  std::string first, middle = {}, last = {};
  bool checked = true;
};

void fill(ResultList& list, const std::vector<Row>& rows, std::size_t columns = 3) {
  for (std::size_t column = 0; column < columns; ++column)
    list.addColumn("A header longer than any cell");
  for (const Row& row : rows)
    list.setChecked(list.appendRow(row.first, row.middle, row.last), row.checked);
}

std::string textOf(const std::vector<Row>& rows, std::size_t columns = 3) {
  ResultList list;
  fill(list, rows, columns);
  RecordingHost host;
  return clipboardText(list, host);
}

// A clipboard whose first `failures` attempts at each operation fail, alternately by
// answering false and by throwing; attempts are counted.
class BusyClipboard final : public Clipboard {
 public:
  explicit BusyClipboard(int failures = 0) : failures_(failures) {}
  bool clear() override {
    if (++clears <= failures_) return fail(clears);
    text.reset();
    return true;
  }
  bool setText(std::string&& value, int format) override {
    if (++sets <= failures_) return fail(sets);
    text = std::move(value);
    lastFormat = format;
    return true;
  }

  int clears = 0;
  int sets = 0;
  int lastFormat = -1;
  std::optional<std::string> text = "what was there before";

 private:
  static bool fail(int attempt) {
    if (attempt % 2 == 0) throw std::runtime_error("clipboard held by another program");
    return false;
  }
  int failures_;
};

TEST(ClipboardTextTest, ColumnsArePaddedToTheLongestCellAndTheLastColumnIsTrimmed) {
  // Widths 5, 3 and 4 from an unchecked row, which is not copied; headers do not count.
  // The last column's padding goes, and with it the spaces its text ends with.
  EXPECT_EQ(textOf({{"x", "yy", ""}, {"12345", "123", "1234", false}, {"abcde", "", "xyz "}}),
            "x    \tyy \t\r\nabcde\t   \txyz\r\n");
  // The middle column's spaces stay: a tab follows them.
  EXPECT_EQ(textOf({{"x", "", ""}, {"", "ab", "abc", false}}), "x\t  \t\r\n");
  // One column: the trimmed text alone, every line ending in CR LF.
  EXPECT_EQ(textOf({{"a"}, {"abc"}, {"   "}}, 1), "a\r\nabc\r\n\r\n");
  // UTF-16 units: the Japanese name and the emoji two each, the Latin-1 byte one.
  EXPECT_EQ(
      textOf({{"\xe6\x97\xa5\xe6\x9c\xac", "\xf0\x9f\x98\x80", "b"}, {"abc", "d", "caf\xe9"}}),
      "\xe6\x97\xa5\xe6\x9c\xac \t\xf0\x9f\x98\x80\tb\r\nabc\td \tcaf\xe9\r\n");
  EXPECT_EQ(textOf({{"a", "b", "c", false}}), "");

  // Another line end, as a command line writes the same lines.
  ResultList list;
  fill(list, {{"x", "", ""}, {"", "ab", "abc", false}});
  RecordingHost host;
  EXPECT_EQ(clipboardText(list, host, "\n"), "x\t  \t\n");
}

TEST(CopyListviewToClipboardTest, AnEmptyListLeavesTheClipboardAndUncheckedRowsEmptyIt) {
  RecordingHost host;
  BusyClipboard clipboard;
  ResultList empty;
  fill(empty, {});
  CopyListviewToClipboard(empty, host, clipboard);
  EXPECT_EQ(clipboard.clears + clipboard.sets, 0);
  EXPECT_EQ(clipboard.text, "what was there before");

  ResultList unchecked;
  fill(unchecked, {{"a", "b", "c", false}});
  CopyListviewToClipboard(unchecked, host, clipboard);
  EXPECT_EQ(clipboard.clears, 1);
  EXPECT_EQ(clipboard.text, "");
  EXPECT_EQ(clipboard.lastFormat, kDefaultTextFormat);
}

TEST(CopyListviewToClipboardTest, ABusyClipboardIsTriedAThousandTimesWithoutAWord) {
  RecordingHost host;
  ResultList rows;
  fill(rows, {{"a", "b", "c"}});

  BusyClipboard late(999);
  CopyListviewToClipboard(rows, host, late);
  EXPECT_EQ(late.clears, 1000);
  EXPECT_EQ(late.sets, 1000);
  EXPECT_EQ(late.text, "a\tb\tc\r\n");

  BusyClipboard held(std::numeric_limits<int>::max());
  CopyListviewToClipboard(rows, host, held);
  EXPECT_EQ(held.clears, 1000);
  EXPECT_EQ(held.sets, 1000);
  EXPECT_EQ(held.text, "what was there before");
  EXPECT_FALSE(SetClipboardText(held, "x", kDefaultTextFormat));
  EXPECT_TRUE(host.errorReports.empty());
  EXPECT_TRUE(host.messages.empty());
}

TEST(CopyListviewToClipboardTest, ARowThatVanishesDuringAYieldEndsTheCopyBeforeTheClipboard) {
  RecordingHost host;
  ResultList rows;
  fill(rows, {{"a", "b", "c"}, {"d", "e", "f"}});
  host.onYield = [&] {
    if (host.yields == 8) rows.clear();  // after the width pass and the first row's yield
  };
  BusyClipboard clipboard;
  EXPECT_THROW(CopyListviewToClipboard(rows, host, clipboard), Failure);
  EXPECT_EQ(clipboard.clears + clipboard.sets, 0);
}

}  // namespace
}  // namespace plovane::test
