#include "form/comparison_run.h"

#include <memory>
#include <optional>
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
#include "scan/read_ahead.h"

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
// every folder of it, leaving out names that begin with "~". Walking the tree has listed its
// folders, and scanned counts the files seen there: room for them is made at once.
void gatherFiles(Trap& trap, int side, const std::string& folderText, FileList& files, Host& host,
                 const platform::FileSystem& fs, const ScanProgress& scanned) {
  FolderTree tree;
  trap.step(114 + side, [&] { tree.assign(1, folderText); });
  trap.step(116 + side, [&] { GetSubDirectories2016(tree, true, host, fs); });
  files.reserve(files.size() + scanned.files);
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

// Steps 164 to 182: a row for each file found on one side only. A yield per row, as the
// pairs have: a tree of many such files would hold the window between two yields.
void appendOnlyHereRows(Trap& trap, const FileList& onlyHere, const std::string& otherFolderText,
                        ResultList& listView3, Host& host, int firstStep) {
  const SharedText onlyHereText(kOnlyHereText);
  const SharedText otherFolder(otherFolderText);
  for (std::size_t i = 0; i < onlyHere.size(); ++i) {
    host.yield();
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
    // Each folder is read once per run, ahead of the walk where threads may read it.
    const std::unique_ptr<ListingCache> reader = makeReader();
    const ListingCache& fs = *reader;
    beginPhase(Phase::kReadingFolder1);
    std::string folder1Text;
    trap.assign(112, folder1Text, [&] { return listView1.cell(0, 0).str(); });
    reader->readAhead(folder1Text, 0);
    readAheadFolder2(*reader, listView2);
    gatherFiles(trap, kSide1, folder1Text, files1, host, fs, scanned_);

    // Read only now: the user may have changed folder 2 while tree 1 was gathered.
    beginPhase(Phase::kReadingFolder2);
    std::string folder2Text;
    trap.assign(136, folder2Text, [&] { return listView2.cell(0, 0).str(); });
    reader->readAhead(folder2Text, 1);
    gatherFiles(trap, kSide2, folder2Text, files2, host, fs, scanned_);

    beginPhase(Phase::kMatching);
    scanned_.files = files1.size() + files2.size();
    // The three steps share one pairing of the names, made by the first that runs.
    std::optional<NamePairing> pairing;
    const auto pairingOfLists = [&]() -> const NamePairing& {
      if (!pairing) pairing.emplace(files1, files2, host);
      return *pairing;
    };
    FileList only1;
    FileList only2;
    trap.assign(160, only1, [&] { return pairingOfLists().onlyInA(host); });
    trap.assign(162, only2, [&] { return pairingOfLists().onlyInB(host); });
    appendOnlyHereRows(trap, only1, folder2Text, listView3, host, 164);
    appendOnlyHereRows(trap, only2, folder1Text, listView3, host, 174);
    trap.step(184, [&] {
      ListNewerOlderPairs(pairingOfLists(), listView3, host, fs,
                          timeRule(fs, folder1Text, folder2Text));
    });

    std::size_t rowCount = 0;
    trap.assign(186, rowCount, [&] { return listView3.rowCount(); });
    trap.step(188, [&] {
      if (rowCount > 0) listView3.setCheckedRange(0, rowCount - 1, true);
    });
  } else {
    trap.step(192, [&] { host.showMessage(std::string(kSelectTwoFoldersMessage)); });
  }
  trap.step(194, [&] { isComparing_ = false; });
  beginPhase(Phase::kIdle);
}

ComparisonRun::ComparisonRun(const platform::FileSystem& fs, unsigned readerThreads)
    : fs_(fs), readerThreads_(readerThreads) {}

std::unique_ptr<ListingCache> ComparisonRun::makeReader() {
  if (readerThreads_ != 1 && fs_.allowsConcurrentReads()) {
    return std::make_unique<ReadAheadCache>(fs_, readerThreads_, &scanned_);
  }
  return std::make_unique<ListingCache>(fs_, &scanned_);
}

// Folder 2 is read ahead from the start, while folder 1 is walked. It is read for the run
// only after folder 1, so a folder 2 changed meanwhile is read then, and this one wasted.
void ComparisonRun::readAheadFolder2(ListingCache& reader, const ResultList& listView2) {
  try {
    if (listView2.rowCount() == 1) reader.readAhead(listView2.cell(0, 0).str(), 1);
  } catch (...) {
    // Only a hint; the run reads the folder at its own step and reports there.
  }
}

// The file systems are asked only when no window was given, once per side and run.
TimeRule ComparisonRun::timeRule(const platform::FileSystem& fs, const std::string& folder1,
                                 const std::string& folder2) const {
  if (modifyWindow_) return TimeRule::window(*modifyWindow_);
  return TimeRule::automatic(fs.hasTwoSecondTimes(folder1), fs.hasTwoSecondTimes(folder2));
}

void ComparisonRun::beginPhase(Phase phase) {
  phase_ = phase;
  scanned_ = {};
}

std::string withThousandsSeparators(std::size_t count) {
  std::string digits = std::to_string(count);
  for (std::size_t cut = digits.size(); cut > 3; cut -= 3) digits.insert(cut - 3, 1, ',');
  return digits;
}

std::string describeProgress(const ComparisonRun& run) {
  const ScanProgress& scanned = run.scanned();
  const auto reading = [&](char side) {
    return std::string("Reading folder ") + side + ": " + withThousandsSeparators(scanned.folders) +
           " folders, " + withThousandsSeparators(scanned.files) + " files";
  };
  switch (run.phase()) {
    case ComparisonRun::Phase::kReadingFolder1:
      return reading('1');
    case ComparisonRun::Phase::kReadingFolder2:
      return reading('2');
    case ComparisonRun::Phase::kMatching:
      return "Comparing " + withThousandsSeparators(scanned.files) + " files";
    case ComparisonRun::Phase::kIdle:
      break;
  }
  return {};
}

}  // namespace plovane
