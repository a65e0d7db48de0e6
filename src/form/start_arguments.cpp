#include "form/start_arguments.h"

#include "common/host.h"
#include "common/result_list.h"
#include "form/folder_chooser.h"
#include "scan/folder_tree.h"

namespace plovane {

namespace {

using Chooser = void (*)(ResultList&, Host&, FolderBrowser&);

bool chooseFromArgument(const std::string& argument, Chooser choose, ResultList& list, Host& host,
                        const platform::FileSystem& fs) {
  const std::string folder = folderOfArgument(argument);
  if (folder.empty() || !IsFolder(fs, folder)) {
    list.clear();
    host.showMessage(std::string(kFolderNotFoundMessage) + argument);
    return false;
  }
  PresetFolderBrowser browser(folder);
  choose(list, host, browser);
  return true;
}

}  // namespace

bool chooseFoldersFromArguments(const std::string& folder1, const std::string& folder2,
                                ResultList& listView1, ResultList& listView2, Host& host,
                                const platform::FileSystem& fs) {
  const bool chosen1 = chooseFromArgument(folder1, chooseFolder1, listView1, host, fs);
  const bool chosen2 = chooseFromArgument(folder2, chooseFolder2, listView2, host, fs);
  return chosen1 && chosen2;
}

}  // namespace plovane
