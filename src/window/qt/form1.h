#pragma once

#include <QCursor>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "window/form1_layout.h"
#include "window/form1_procedures.h"
#include "window/qt/qt_host.h"
#include "window/qt/result_list_model.h"
#include "window/qt/skin_engine.h"

class QLabel;
class QPushButton;
class QTimer;
class QTreeView;

namespace plovane {

// The main window on Qt Widgets. Its layout is the fixed one of form1_layout; its handlers
// are those of Form1Procedures.
class Form1 final : public QWidget, public Form1Procedures {
  Q_OBJECT

 public:
  explicit Form1(Form1Services services, QWidget* parent = nullptr);
  ~Form1() override;

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

  QtHost& host() override { return host_; }
  const SkinEngine& skinEngine() const { return skin_; }
  // The pointer the buttons show on hover, when one was loaded.
  const std::optional<QCursor>& customPointer() const { return customPointer_; }

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
  // The run's start and end, for Form1Procedures.
  void comparisonStarting() override;
  void comparisonEnded() override;
  void startComparingSoon() override;

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

  std::array<std::unique_ptr<ResultListModel>, 3> models_;
  std::array<QTreeView*, 3> views_{};
  QtHost host_;
  SkinEngine skin_;
  std::optional<QCursor> customPointer_;
  QLabel* progressLine_ = nullptr;
  QTimer* progressTimer_ = nullptr;
};

}  // namespace plovane
