#include "export_rows.h"

#include <cstdio>

#include "common/result_list.h"
#include "common/shared_text.h"

namespace plovane::bench {

void fillResults(ResultList& list, std::uint64_t rows) {
  list.addColumn("Newer");
  list.addColumn("");
  list.addColumn("Older");
  static const SharedText overwrites(" will overwrite an older");
  static const SharedText newer(" is newer than");
  static const SharedText otherRoot("/media/backup/home/user/Documents/");
  char left[200];
  char right[220];
  for (std::uint64_t row = 0; row < rows; ++row) {
    const auto folder = static_cast<unsigned>(row / 100);
    const char* name = row % 100 == 7 ? "R\xc3\xa9sum\xc3\xa9" : "report";
    std::snprintf(left, sizeof left,
                  "/home/user/Documents/Projects/client-%03u/module-%02u/%s-%07u.txt",
                  folder / 100 % 1000, folder % 100, name, static_cast<unsigned>(row));
    if (row % 3 == 0) {
      list.appendRow(SharedText(left), newer, otherRoot);
    } else {
      std::snprintf(right, sizeof right, "/media/backup%s", left);
      list.appendRow(SharedText(left), overwrites, SharedText(right));
    }
  }
  if (rows > 0) list.setCheckedRange(0, rows - 1, true);
}

}  // namespace plovane::bench
