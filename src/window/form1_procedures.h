#pragma once

#include <array>
#include <optional>
#include <string>

#include "common/host.h"
#include "common/result_list.h"
#include "form/comparison_run.h"
#include "form/form1_services.h"
#include "form/form_window.h"

namespace plovane {

// What Form1 does on each of its events, the same in every front end: the handlers call the
// core procedures with the three lists, the window's host and the services. A front end
// derives from it, gives it the host, makes the set-up's calls on the window (FormWindow) and
// shows the run's progress and end its own way.
class Form1Procedures : private FormWindow {
 public:
  Form1Procedures(const Form1Procedures&) = delete;
  Form1Procedures& operator=(const Form1Procedures&) = delete;

  // The set-up, before the window is first shown.
  void Form_Load();

  ResultList& listView1() { return lists_[0]; }
  ResultList& listView2() { return lists_[1]; }
  ResultList& listView3() { return lists_[2]; }
  bool isComparing() const { return comparison_.isComparing(); }

  void PushButton1_Click();
  void PushButton2_Click();
  void PushButton3_Click();
  void PushButton4_Click();
  void PushButton5_Click();
  void PushButton6_Click();
  void PushButton7_Click();
  void PushButton8_Click();
  void PushButton9_Click();
  void PushButton10_Click();
  void PushButton13_Click();
  // Started with two folders: chooses both and, when both are there, starts the comparison
  // once the event loop runs.
  void openWithFolders(const std::string& folder1, const std::string& folder2);
  // Whether a spreadsheet program can be started; says so when none can.
  bool SaveResultsAsExcelFileIsExcelInstalled();
  // The line shown over the empty result list while a run reads the trees; empty otherwise.
  std::string progressText() const;

 protected:
  explicit Form1Procedures(Form1Services services);
  ~Form1Procedures() override = default;

  virtual Host& host() = 0;
  // Around a run of "3. Start Comparing": the progress line's timer starts before it, and
  // after it the lists learn of their last rows.
  virtual void comparisonStarting() = 0;
  virtual void comparisonEnded() = 0;
  // Runs PushButton5_Click once the event loop turns.
  virtual void startComparingSoon() = 0;

  // A double-click (no key code) or the Delete key on ListView1 (0) or ListView2 (1).
  void removeSelectedRowOfList(int list, std::optional<int> keyCode);

  Form1Services services_;
  std::array<ResultList, 3> lists_;
  ComparisonRun comparison_;
};

}  // namespace plovane
