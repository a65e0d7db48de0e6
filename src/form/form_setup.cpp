#include "form/form_setup.h"

#include <cmath>

#include "common/error_report.h"
#include "common/host.h"
#include "common/maker.h"
#include "common/result_list.h"
#include "common/settings_store.h"
#include "common/trap.h"
#include "form/form_window.h"
#include "form/random_source.h"
#include "form/url_launcher.h"
#include "platform/file_system.h"
#include "scan/file_lists.h"

namespace plovane {

namespace {

constexpr std::size_t kTitleLimit = 40;
constexpr int kHomePageChance = 100;
constexpr int kHomePageNumber = 7;

// Column widths in twips.
constexpr int kFolderColumnWidth = 7000;
constexpr int kPathColumnWidth = 2600;
constexpr int kMiddleColumnWidth = 2000;

// The whole number from 1 to 100 that decides whether the home page opens.
int drawOneToHundred(RandomSource& random) {
  return static_cast<int>(std::floor(random.draw() * kHomePageChance)) + 1;
}

// Steps 148 to 152 (folder 1) or 154 to 158 (folder 2): the stored folder, when there is
// one, as the single row of its list. Set-up does not test that the folder still exists.
void restoreFolder(Trap& trap, int readStep, ResultList& list, Host& host, std::string_view key) {
  std::string value;
  trap.assign(readStep, value, [&] { return host.settings().read(key, ""); });
  if (!value.empty()) trap.step(readStep + 4, [&] { list.appendRow(value); });
}

}  // namespace

std::string pointerFilePath(std::string_view programFolder) {
  std::string path(programFolder);
  path.append(1, platform::kSeparator).append("HAND-M.CUR");
  return path;
}

std::string applicationTitleOf(std::string_view productName) {
  std::string title(productName);
  do {
    const std::size_t blank = title.rfind(' ');
    if (blank == std::string::npos) break;
    title.resize(blank);
  } while (title.size() > kTitleLimit);
  return title;
}

void Form_Load(FormWindow& window, ResultList& listView1, ResultList& listView2,
               ResultList& listView3, Host& host, const platform::FileSystem& fs,
               std::string_view programFolder, RandomSource& random, UrlLauncher& launcher) {
  Trap trap(host, label::kFormLoad);
  trap.step(100, [&] { window.applyAppearance(); });
  const std::string pointerFile = pointerFilePath(programFolder);
  if (trap.test(102, [&] { return PathExists(fs, pointerFile); })) {
    trap.step(104, [&] { window.loadCustomPointer(pointerFile); });
  }
  // Step 106 is three statements; a failing one does not keep the others from running.
  trap.step(106, [&] { window.setCaption(std::string(maker::kProductName)); });
  trap.step(106, [&] { window.setProgramIcon(); });
  trap.step(106, [&] { window.setApplicationTitle(applicationTitleOf(maker::kProductName)); });
  if (trap.test(110, [&] { return drawOneToHundred(random) == kHomePageNumber; })) {
    trap.step(110, [&] { launcher.open(std::string(maker::kHomePageUrl)); });
  }

  trap.step(128, [&] { listView1.addColumn("Folder 1"); });
  trap.step(130, [&] { listView1.setColumnWidth(0, kFolderColumnWidth); });
  trap.step(132, [&] { listView2.addColumn("Folder 2"); });
  trap.step(134, [&] { listView2.setColumnWidth(0, kFolderColumnWidth); });
  trap.step(136, [&] { listView3.addColumn(std::string(kResultHeaders[0])); });
  trap.step(138, [&] { listView3.addColumn(std::string(kResultHeaders[1])); });
  trap.step(140, [&] { listView3.addColumn(std::string(kResultHeaders[2])); });
  trap.step(142, [&] { listView3.setColumnWidth(0, kPathColumnWidth); });
  trap.step(144, [&] { listView3.setColumnWidth(1, kMiddleColumnWidth); });
  trap.step(146, [&] { listView3.setColumnWidth(2, kPathColumnWidth); });

  restoreFolder(trap, 148, listView1, host, settings_key::kListView1);
  restoreFolder(trap, 154, listView2, host, settings_key::kListView2);
}

void addResultColumns(ResultList& listView3) {
  listView3.addColumn(std::string(kResultHeaders[0]), kPathColumnWidth);
  listView3.addColumn(std::string(kResultHeaders[1]), kMiddleColumnWidth);
  listView3.addColumn(std::string(kResultHeaders[2]), kPathColumnWidth);
}

}  // namespace plovane
