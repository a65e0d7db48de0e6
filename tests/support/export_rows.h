#pragma once

#include <cstddef>
#include <vector>

#include "common/result_list.h"

namespace plovane::test {

// A row of the list the export tests fill: the comparison's three texts, checked unless
// said otherwise.
struct ExportRow {
  const char* first;
  const char* middle;
  const char* last;
  bool checked = true;
};

// The comparison's three columns (the middle one without a header), then the rows.
inline void fillExportList(ResultList& list, const std::vector<ExportRow>& rows) {
  list.addColumn("Newer");
  list.addColumn("");
  list.addColumn("Older");
  for (const ExportRow& row : rows) {
    const std::size_t index = list.appendRow(row.first, row.middle, row.last);
    list.setChecked(index, row.checked);
  }
}

}  // namespace plovane::test
