#pragma once

#include <string>
#include <string_view>

namespace plovane::test::fake_excel {

// The file the server writes what it was asked, one line per event, in UTF-8. Each line is
// appended and the file closed at once, so that the test reads every event that happened
// before its own call returned, and may remove the file while the server is still ending.
class ServerLog {
 public:
  static void open(std::wstring path);
  static void write(std::wstring_view line);
};

// A text in double quotes, with backslashes, quotes and line breaks escaped, so that one
// value stays on one line of the log.
std::wstring quoted(std::wstring_view text);

}  // namespace plovane::test::fake_excel
