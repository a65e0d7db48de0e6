#pragma once

#include <QCursor>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "common/result_list.h"
#include "form/comparison_run.h"
#include "form/form1_services.h"
#include "form/form_window.h"
#include "window/form1_layout.h"
#include "window/qt/qt_host.h"
#include "window/qt/result_list_model.h"
#include "window/qt/skin_engine.h"

class QLabel;
class QPushButton;
class QTimer;
class QTreeView;

namespace plovane {

// The main window on Qt Widgets. Its layout is the fixed one of form1_layout; its handlers
// are thin calls of the core procedures, which get the three lists and a host.
class Form1 final : public QWidget, private FormWindow {
  Q_OBJECT

 public:
  explicit Form1(Form1Services services, QWidget* parent = nullptr);
  ~Form1() override;

  // The set-up, before the window is first shown.
  void Form_Load();

  ResultList& listView1() { return lists_[0]; }
  ResultList& listView2() { return lists_[1]; }
  ResultList& listView3() { return lists_[2]; }
  QTreeView* ListView1() const { return views_[0]; }
  QTreeView* ListView2() const { return views_[1]; }
  QTreeView* ListView3() const { return views_[2]; }
  ResultListModel& model(int list) { return *models_[static_cast<std::size_t>(list)]; }

  QPushButton* PushButton1 = nullptr;
  QPushButton* PushButton2 = nullptr;
  QPushButton* PushButton3 = nullptr;
  QPushButton* PushButton4 = nullptr;
  QPushButton* PushButton5 = nullptr;
  QPushButton* PushButton6 = nullptr;
  QPushButton* PushButton7 = nullptr;
  QPushButton* PushButton8 = nullptr;
  QPushButton* PushButton9 = nullptr;
  QPushButton* PushButton10 = nullptr;
  QPushButton* PushButton13 = nullptr;

  QtHost& host() { return host_; }
  const SkinEngine& skinEngine() const { return skin_; }
  bool isComparing() const { return comparison_.isComparing(); }
  // The pointer the buttons show on hover, when one was loaded.
  const std::optional<QCursor>& customPointer() const { return customPointer_; }

  void PushButton1_Click();
  void PushButton2_Click();
  void PushButton3_Click();
  void PushButton4_Click();
  void PushButton5_Click();
  // Started as "plovane FOLDER1 FOLDER2": chooses both and, when both are there, starts the
  // comparison once the event loop runs.
  void openWithFolders(const std::string& folder1, const std::string& folder2);
  // The line shown over the empty result list while a run reads the trees; empty otherwise.
  QString progressText() const;
  void PushButton6_Click();
  void PushButton7_Click();
  void PushButton8_Click();
  void PushButton9_Click();
  void PushButton10_Click();
  void PushButton13_Click();

  // Whether a spreadsheet program can be started; says so when none can.
  bool SaveResultsAsExcelFileIsExcelInstalled();

 signals:
  // A comparison run has ended.
  void comparisonFinished();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // The set-up's calls on the window.
  void applyAppearance() override;
  void loadCustomPointer(const std::string& path) override;
  void setCaption(const std::string& caption) override;
  void setProgramIcon() override;
  void setApplicationTitle(const std::string& title) override;

  void createControls();
  QPushButton* createButton(const form1_layout::ControlPlacement& placement);
  QTreeView* createList(const form1_layout::ControlPlacement& placement);
  void setFocusOrder();
  void applyColumnWidths(int list);
  void flushPendingRows();
  void createProgressLine();
  void updateProgressLine();
  void showHandPointer();
  void showDefaultPointer();
  void removeSelectedRowOfList(int list, std::optional<int> keyCode);

  Form1Services services_;
  std::array<ResultList, 3> lists_;
  std::array<std::unique_ptr<ResultListModel>, 3> models_;
  std::array<QTreeView*, 3> views_{};
  QtHost host_;
  ComparisonRun comparison_;
  SkinEngine skin_;
  std::optional<QCursor> customPointer_;
  QLabel* progressLine_ = nullptr;
  QTimer* progressTimer_ = nullptr;
};

}  // namespace plovane
