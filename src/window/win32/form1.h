#pragma once

#include "platform/win32/windows_api.h"

#include <array>
#include <memory>
#include <string>

#include "common/result_list.h"
#include "form/comparison_run.h"
#include "form/form1_services.h"
#include "form/form_window.h"
#include "window/form1_layout.h"
#include "window/win32/result_list_view.h"
#include "window/win32/win32_host.h"

namespace plovane {

// The main window on plain Win32 and the common controls. Its layout is the fixed one of
// form1_layout, scaled to the monitor's dots per inch; its handlers are thin calls of the
// core procedures, which get the three lists and a host.
class Form1 final : private FormWindow {
 public:
  // The window's class name, for programs that look for it.
  static constexpr const wchar_t* kClassName = L"Plovane.Form1";

  // Makes the window and its controls, hidden.
  explicit Form1(Form1Services services);
  ~Form1() override;
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // The set-up, before the window is first shown.
  void Form_Load();
  // Centred on the monitor's work area, with the focus on the first control of the tab order.
  void show(int showCommand);

  HWND handle() const { return window_; }
  ResultList& listView1() { return lists_[0]; }
  ResultList& listView2() { return lists_[1]; }
  ResultList& listView3() { return lists_[2]; }
  HWND ListView1() const { return views_[0]->handle(); }
  HWND ListView2() const { return views_[1]->handle(); }
  HWND ListView3() const { return views_[2]->handle(); }
  // A child control by its designed name ("PushButton5"), or null.
  HWND control(std::string_view name) const;
  ResultListView& view(int list) { return *views_[static_cast<std::size_t>(list)]; }

  Win32Host& host() { return host_; }
  bool isComparing() const { return comparison_.isComparing(); }
  bool isSkinned() const { return skinned_; }
  HCURSOR customPointer() const { return customPointer_; }

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
  // Started as "Plovane.exe FOLDER1 FOLDER2": chooses both and, when both are there, starts
  // the comparison once the message loop runs.
  void openWithFolders(const std::string& folder1, const std::string& folder2);
  // The line shown over the empty result list while a run reads the trees; empty otherwise.
  std::string progressText() const;
  // Whether a spreadsheet program can be started; says so when none can.
  bool SaveResultsAsExcelFileIsExcelInstalled();
  // Tells the lists of the rows appended since they last learnt of any.
  void flushPendingRows();

 private:
  // The set-up's calls on the window.
  void applyAppearance() override;
  void loadCustomPointer(const std::string& path) override;
  void setCaption(const std::string& caption) override;
  void setProgramIcon() override;
  void setApplicationTitle(const std::string& title) override;

  static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void createControls();
  void createToolTip();
  void layOut();
  int scaled(int twips) const;
  void clicked(int controlId);
  bool setCursorFor(HWND over);
  void updateProgressLine();
  void removeSelectedRowOfList(int list, bool byKey);

  Form1Services services_;
  HWND window_ = nullptr;
  std::array<ResultList, 3> lists_;
  std::array<std::unique_ptr<ResultListView>, 3> views_;
  HWND toolTip_ = nullptr;
  HWND progressLine_ = nullptr;
  Win32Host host_;
  ComparisonRun comparison_;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  HFONT buttonFont_ = nullptr;
  HFONT listFont_ = nullptr;
  HBRUSH background_ = nullptr;
  bool skinned_ = false;
  HCURSOR customPointer_ = nullptr;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
};

}  // namespace plovane
