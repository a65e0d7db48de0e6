#pragma once

#include <string>
#include <string_view>

namespace plovane {

class Clipboard;
class Host;
class ResultList;

// The text the clipboard receives for a list: one line per checked row, no header. Each
// column is padded with spaces to its width and followed by a tab; then the line loses its
// final tab and every space before it, and gets lineEnd. A column's width is the length
// (in UTF-16 units) of its longest text over all rows, unchecked ones included; headers do
// not count. Yields once per cell read and once per row. Reading a row that vanished during
// a yield throws.
std::string clipboardText(const ResultList& list, Host& host, std::string_view lineEnd = "\r\n");

// Puts the clipboard text of the list on the clipboard. An empty list leaves the clipboard
// as it was. No trap of its own: a failure while the text is built ends the copy before
// the clipboard is touched, and reaches the caller.
void CopyListviewToClipboard(const ResultList& list, Host& host, Clipboard& clipboard);

}  // namespace plovane
