#include "form/folder_chooser.h"

#include <filesystem>

#include "common/error_report.h"
#include "common/host.h"
#include "common/result_list.h"
#include "common/settings_store.h"
#include "common/trap.h"
#include "platform/file_system.h"

namespace plovane {

namespace {

struct Side {
  std::string_view label;
  std::string_view settingsKey;
  bool emptiesOnlyWhenIdle;
};

void chooseFolder(const Side& side, ResultList& list, Host& host, FolderBrowser& browser) {
  Trap trap(host, side.label);
  if (trap.test(100, [&] { return !side.emptiesOnlyWhenIdle || !host.isBusy(); })) {
    trap.step(100, [&] { list.clear(); });
  }
  std::string folder;
  trap.assign(102, folder, [&] { return browser.browseForFolder(std::string(kBrowsePrompt), ""); });
  if (trap.test(104, [&] { return folder.empty(); })) return;
  trap.step(106, [&] { host.setBusy(true); });
  trap.step(108, [&] { host.settings().write(settings_key::kLastFolderDot, folder); });
  if (trap.test(108, [&] { return folder.back() != platform::kSeparator; })) {
    trap.step(110, [&] { folder += platform::kSeparator; });
  }
  trap.step(112, [&] { list.appendRow(folder); });
  trap.step(114, [&] { host.settings().write(side.settingsKey, folder); });
  trap.step(116, [&] { host.setBusy(false); });
}

// Paths hold a name's bytes on POSIX and UTF-8 text on Windows.
std::filesystem::path pathOf(const std::string& text) {
#ifdef _WIN32
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
#else
  return std::filesystem::path(text);
#endif
}

std::string textOf(const std::filesystem::path& path) {
#ifdef _WIN32
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
#else
  return path.string();
#endif
}

}  // namespace

std::string folderOfArgument(const std::string& argument) {
  if (argument.empty()) return {};
  std::filesystem::path path = pathOf(argument);
  if (path.is_relative()) path = std::filesystem::current_path() / path;
  path = path.lexically_normal();
  if (!path.has_filename() && path != path.root_path()) path = path.parent_path();
  return textOf(path);
}

void chooseFolder1(ResultList& listView1, Host& host, FolderBrowser& browser) {
  chooseFolder({label::kPushButton3, settings_key::kListView1, true}, listView1, host, browser);
}

void chooseFolder2(ResultList& listView2, Host& host, FolderBrowser& browser) {
  chooseFolder({label::kPushButton1, settings_key::kListView2, false}, listView2, host, browser);
}

}  // namespace plovane
