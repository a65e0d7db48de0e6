#include "form/text_exports.h"

#include <string>

#include "common/error_report.h"
#include "common/host.h"
#include "common/trap.h"
#include "export/clipboard_text.h"
#include "export/text_report.h"

namespace plovane {

void saveResultsAsTextFile(const ResultList& listView3, Host& host, SaveFileDialog& dialog) {
  Trap trap(host, label::kPushButton6);
  trap.step(106, [&] { dialog.setFlags(kTextReportDialogFlags); });
  trap.step(108, [&] { dialog.setTitle(std::string(kTextReportDialogTitle)); });
  trap.step(110, [&] { dialog.setFilter(std::string(kTextReportDialogFilter)); });
  trap.step(112, [&] { dialog.showSave(); });
  std::string fileName;
  trap.assign(114, fileName, [&] { return dialog.fileName(); });
  if (trap.test(116, [&] { return fileName.empty(); })) return;
  trap.step(118, [&] { host.setBusy(true); });
  trap.step(120, [&] { SaveListviewProperlySpacedWithoutProgressBar(listView3, fileName, host); });
  trap.step(122, [&] { host.setBusy(false); });
}

void copyResultsToClipboard(const ResultList& listView3, Host& host, Clipboard& clipboard) {
  Trap trap(host, label::kPushButton10);
  trap.step(106, [&] { CopyListviewToClipboard(listView3, host, clipboard); });
}

}  // namespace plovane
