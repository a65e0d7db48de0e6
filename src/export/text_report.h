#pragma once

#include <cstdio>
#include <string>

namespace plovane {

class Host;
class ResultList;

// Writes the list as a text report to fileName, replacing an existing file once the report is
// complete (until then, and when writing fails, the file stays as it was): a header line
// and one line per checked row, each column padded with spaces to its width and followed by
// a tab, every line ending in CR LF. A column's width is the length (in UTF-16 units) of its
// longest text, the header and unchecked rows included. Every step runs under the trap of
// the procedure, which reports failures (a file that cannot be created, a full disk, a row
// that vanished during a yield) and carries on. Yields once per cell read.
void SaveListviewProperlySpacedWithoutProgressBar(const ResultList& list,
                                                  const std::string& fileName, Host& host);

// The same report, written to a stream the caller owns (standard output) and left open.
void writeTextReport(const ResultList& list, std::FILE* stream, Host& host);

}  // namespace plovane
