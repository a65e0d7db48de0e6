#pragma once

#include <string>

namespace plovane {

class Host;
class ResultList;

// Writes the list as a text report to fileName, overwriting an existing file: a header line
// and one line per checked row, each column padded with spaces to its width and followed by
// a tab, every line ending in CR LF. A column's width is the length (in UTF-16 units) of its
// longest text, the header and unchecked rows included. Every step runs under the trap of
// the procedure, which reports failures (a file that cannot be created, a full disk, a row
// that vanished during a yield) and carries on. Yields once per cell read.
void SaveListviewProperlySpacedWithoutProgressBar(const ResultList& list,
                                                  const std::string& fileName, Host& host);

}  // namespace plovane
