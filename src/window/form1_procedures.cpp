#include "window/form1_procedures.h"

#include <utility>

#include "form/folder_chooser.h"
#include "form/form_setup.h"
#include "form/list_editing.h"
#include "form/samples_and_help.h"
#include "form/spreadsheet_export.h"
#include "form/start_arguments.h"
#include "form/text_exports.h"

namespace plovane {

Form1Procedures::Form1Procedures(Form1Services services)
    : services_(std::move(services)), comparison_(services_.fileSystem) {}

void Form1Procedures::Form_Load() {
  plovane::Form_Load(*this, listView1(), listView2(), listView3(), host(), services_.fileSystem,
                     services_.programFolder, services_.random, services_.urlLauncher);
}

void Form1Procedures::PushButton1_Click() {
  chooseFolder2(listView2(), host(), services_.folderBrowser);
}

void Form1Procedures::PushButton2_Click() {
  clearFolder1(listView1(), host());
}

void Form1Procedures::PushButton3_Click() {
  chooseFolder1(listView1(), host(), services_.folderBrowser);
}

void Form1Procedures::PushButton4_Click() {
  clearFolder2(listView2(), host());
}

void Form1Procedures::PushButton5_Click() {
  if (comparison_.isComparing()) return;  // the run ignores it too; no second end
  comparisonStarting();
  comparison_.start(listView1(), listView2(), listView3(), host());
  comparisonEnded();
}

void Form1Procedures::PushButton6_Click() {
  saveResultsAsTextFile(listView3(), host(), services_.saveFileDialog);
}

void Form1Procedures::PushButton7_Click() {
  saveResultsAsExcelFile(listView3(), host(), services_.spreadsheets);
}

void Form1Procedures::PushButton8_Click() {
  clearList(listView3(), host());
}

void Form1Procedures::PushButton9_Click() {
  loadSampleFolders(listView1(), listView2(), host(), services_.programFolder);
}

void Form1Procedures::PushButton10_Click() {
  copyResultsToClipboard(listView3(), host(), services_.clipboard);
}

void Form1Procedures::PushButton13_Click() {
  showHelp(host());
}

void Form1Procedures::openWithFolders(const std::string& folder1, const std::string& folder2) {
  if (chooseFoldersFromArguments(folder1, folder2, listView1(), listView2(), host(),
                                 services_.fileSystem)) {
    startComparingSoon();
  }
}

bool Form1Procedures::SaveResultsAsExcelFileIsExcelInstalled() {
  return plovane::SaveResultsAsExcelFileIsExcelInstalled(host(), services_.spreadsheets);
}

std::string Form1Procedures::progressText() const {
  if (!comparison_.isComparing() || lists_[2].rowCount() > 0) return {};
  return describeProgress(comparison_);
}

void Form1Procedures::removeSelectedRowOfList(int list, std::optional<int> keyCode) {
  ResultList& resultList = lists_[static_cast<std::size_t>(list)];
  if (keyCode) {
    removeSelectedRowOnKey(*keyCode, resultList, host());
  } else {
    removeSelectedRow(resultList, host());
  }
}

}  // namespace plovane
