#include "form/list_editing.h"

#include "common/error_report.h"
#include "common/host.h"
#include "common/result_list.h"
#include "common/settings_store.h"
#include "common/trap.h"

namespace plovane {

void removeSelectedRow(ResultList& list, Host& host) {
  if (host.isBusy()) return;
  if (list.rowCount() == 0) return;
  // Rows without a selection: nothing to remove.
  if (const auto selected = list.selectedRow()) list.removeRow(*selected);
}

void removeSelectedRowOnKey(int keyCode, ResultList& list, Host& host) {
  if (keyCode != kDeleteKeyCode) return;
  removeSelectedRow(list, host);
}

void clearFolder1(ResultList& listView1, Host& host) {
  Trap trap(host, label::kPushButton2);
  if (trap.test(100, [&] { return !host.isBusy(); })) trap.step(100, [&] { listView1.clear(); });
  trap.step(102, [&] { host.settings().write(settings_key::kListView1, ""); });
}

void clearFolder2(ResultList& listView2, Host& host) {
  Trap trap(host, label::kPushButton4);
  trap.step(100, [&] { listView2.clear(); });
  trap.step(102, [&] { host.settings().write(settings_key::kListView2, ""); });
}

void clearList(ResultList& listView3, Host& host) {
  Trap trap(host, label::kPushButton8);
  trap.step(100, [&] { listView3.clear(); });
}

}  // namespace plovane
