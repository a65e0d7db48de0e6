#include "form/samples_and_help.h"

#include "common/error_report.h"
#include "common/host.h"
#include "common/maker.h"
#include "common/result_list.h"
#include "common/settings_store.h"
#include "common/trap.h"
#include "platform/file_system.h"

namespace plovane {

namespace {

std::string sampleFolder(std::string_view programFolder, std::string_view name) {
  constexpr char separator = platform::kSeparator;
  std::string path(programFolder);
  path.append(1, separator).append("Samples").append(1, separator);
  path.append(name).append(1, separator);
  return path;
}

}  // namespace

std::string sampleFolder1(std::string_view programFolder) {
  return sampleFolder(programFolder, "Folder1");
}

std::string sampleFolder2(std::string_view programFolder) {
  return sampleFolder(programFolder, "Folder2");
}

void loadSampleFolders(ResultList& listView1, ResultList& listView2, Host& host,
                       std::string_view programFolder) {
  Trap trap(host, label::kPushButton9);
  if (trap.test(100, [&] { return !host.isBusy(); })) trap.step(100, [&] { listView1.clear(); });
  trap.step(102, [&] { listView2.clear(); });
  std::string folder1;
  trap.assign(104, folder1, [&] { return sampleFolder1(programFolder); });
  trap.step(106, [&] { listView1.appendRow(folder1); });
  trap.step(108, [&] { host.settings().write(settings_key::kListView1, folder1); });
  std::string folder2;
  trap.assign(110, folder2, [&] { return sampleFolder2(programFolder); });
  trap.step(112, [&] { listView2.appendRow(folder2); });
  trap.step(114, [&] { host.settings().write(settings_key::kListView2, folder2); });
}

std::string helpText() {
  std::string text = "Please follow steps 1 - 4 in order.";
  text += "\r\r";
  text +=
      "Please make sure you have write access to both folders before pressing the 'Sync' "
      "button otherwise synchronization will not work because files can not be copied "
      "(written).";
  text += "\r\r";
  text += "Questions? Please contact Team Kestrune at ";
  text += maker::kContactFormUrl;
  return text;
}

void showHelp(Host& host) {
  Trap trap(host, label::kPushButton13);
  trap.step(100, [&] { host.showMessage(helpText()); });
}

}  // namespace plovane
