#include "compare/comparison_run.h"

#include <string>

#include "common/error_report.h"
#include "common/failure.h"
#include "common/host.h"
#include "common/result_list.h"
#include "common/trap.h"
#include "compare/classification.h"
#include "platform/file_system.h"
#include "scan/file_list.h"
#include "scan/file_lists.h"
#include "scan/folder_tree.h"
#include "scan/listing_cache.h"

namespace plovane {

namespace {

// Side 2 runs the steps of side 1 under numbers 24 higher.
constexpr int kSide1 = 0;
constexpr int kSide2 = 24;

std::string withoutLastCharacter(const std::string& text) {
  if (text.empty())
    throw Failure("Invalid procedure call or argument", failure_code::kInvalidArgument);
  return text.substr(0, text.size() - 1);
}

// Steps 114 to 134 (side 1) or 138 to 158 (side 2): the folder's tree, then the files of
// every folder of it, leaving out names that begin with "~".
void gatherFiles(Trap& trap, int side, const std::string& folderText, FileList& files, Host& host,
                 const platform::FileSystem& fs) {
  FolderTree tree;
  trap.step(114 + side, [&] { tree.assign(1, folderText); });
  trap.step(116 + side, [&] { GetSubDirectories2016(tree, true, host, fs); });
  for (const std::string& entry : tree) {
    // Listing a folder can take a while; the host makes a yield cheap when none is due.
    host.yield();
    std::string folder;
    bool folderOk = false;
    trap.step(120 + side, [&] {
      folder = withoutLastCharacter(entry);
      folderOk = true;
    });
    if (!folderOk) continue;
    // A folder whose listing fails contributes no files.
    NameList names;
    trap.assign(122 + side, names, [&] { return GetFilesInFolder(fs, folder, "*.*"); });
    if (names.empty()) continue;
    const SharedText prefix =
        SharedText::concat(folder, std::string_view(&platform::kSeparator, 1));
    for (const std::string& name : names) {
      if (trap.test(126 + side, [&] { return name.empty() || name.front() != '~'; })) {
        trap.step(128 + side, [&] { files.append(prefix, name); });
      }
    }
  }
}

// Steps 164 to 182: a row for each file found on one side only.
void appendOnlyHereRows(Trap& trap, const FileList& onlyHere, const std::string& otherFolderText,
                        ResultList& listView3, int firstStep) {
  const SharedText onlyHereText(kOnlyHereText);
  const SharedText otherFolder(otherFolderText);
  for (std::size_t i = 0; i < onlyHere.size(); ++i) {
    trap.step(firstStep + 2,
              [&] { listView3.appendRow(onlyHere.sharedPath(i), onlyHereText, otherFolder); });
  }
}

}  // namespace

void ComparisonRun::start(ResultList& listView1, ResultList& listView2, ResultList& listView3,
                          Host& host) {
  Trap trap(host, label::kPushButton5);
  if (trap.test(100, [&] { return isComparing_; })) return;
  trap.step(102, [&] { isComparing_ = true; });
  FileList files1;  // step 104
  FileList files2;  // step 106
  trap.step(108, [&] { listView3.clear(); });

  if (trap.test(110, [&] { return listView1.rowCount() == 1 && listView2.rowCount() == 1; })) {
    const ListingCache fs(fs_);  // each folder is read once per run
    std::string folder1Text;
    trap.assign(112, folder1Text, [&] { return listView1.cell(0, 0).str(); });
    gatherFiles(trap, kSide1, folder1Text, files1, host, fs);

    // Read only now: the user may have changed folder 2 while tree 1 was gathered.
    std::string folder2Text;
    trap.assign(136, folder2Text, [&] { return listView2.cell(0, 0).str(); });
    gatherFiles(trap, kSide2, folder2Text, files2, host, fs);

    FileList only1;
    FileList only2;
    trap.assign(160, only1, [&] { return FilesNotInOtherList(files1, files2, host); });
    trap.assign(162, only2, [&] { return FilesNotInOtherList(files2, files1, host); });
    appendOnlyHereRows(trap, only1, folder2Text, listView3, 164);
    appendOnlyHereRows(trap, only2, folder1Text, listView3, 174);
    trap.step(184, [&] { ListNewerOlderPairs(files1, files2, listView3, host, fs); });

    std::size_t rowCount = 0;
    trap.assign(186, rowCount, [&] { return listView3.rowCount(); });
    trap.step(188, [&] {
      if (rowCount > 0) listView3.setCheckedRange(0, rowCount - 1, true);
    });
  } else {
    trap.step(192, [&] { host.showMessage(std::string(kSelectTwoFoldersMessage)); });
  }
  trap.step(194, [&] { isComparing_ = false; });
}

}  // namespace plovane
