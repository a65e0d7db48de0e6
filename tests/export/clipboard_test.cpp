#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/result_list.h"
#include "export/clipboard.h"
#include "export/clipboard_text.h"
#include "recording_clipboard.h"
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
  RecordingClipboard clipboard;
  clipboard.text = "what was there before";
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

  RecordingClipboard late(999);
  CopyListviewToClipboard(rows, host, late);
  EXPECT_EQ(late.clears, 1000);
  EXPECT_EQ(late.sets, 1000);
  EXPECT_EQ(late.text, "a\tb\tc\r\n");

  RecordingClipboard held(std::numeric_limits<int>::max());
  held.text = "what was there before";
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
  RecordingClipboard clipboard;
  EXPECT_THROW(CopyListviewToClipboard(rows, host, clipboard), Failure);
  EXPECT_EQ(clipboard.clears + clipboard.sets, 0);
}

}  // namespace
}  // namespace plovane::test
