#pragma once

#include "platform/win32/windows_api.h"

#include <array>
#include <memory>
#include <string>

#include "window/form1_layout.h"
#include "window/form1_procedures.h"
#include "window/win32/result_list_view.h"
#include "window/win32/win32_host.h"

namespace plovane {

// The main window on plain Win32 and the common controls. Its layout is the fixed one of
// form1_layout, scaled to the monitor's dots per inch; its handlers are those of
// Form1Procedures.
class Form1 final : public Form1Procedures {
 public:
  // The window's class name, for programs that look for it.
  static constexpr const wchar_t* kClassName = L"Plovane.Form1";

  // Makes the window and its controls, hidden.
  explicit Form1(Form1Services services);
  ~Form1() override;
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // Centred on the monitor's work area, with the focus on the first control of the tab order.
  void show(int showCommand);

  HWND handle() const { return window_; }
  HWND ListView1() const { return views_[0]->handle(); }
  HWND ListView2() const { return views_[1]->handle(); }
  HWND ListView3() const { return views_[2]->handle(); }
  // A child control by its designed name ("PushButton5"), or null.
  HWND control(std::string_view name) const;
  ResultListView& view(int list) { return *views_[static_cast<std::size_t>(list)]; }

  Win32Host& host() override { return host_; }
  bool isSkinned() const { return skinned_; }
  HCURSOR customPointer() const { return customPointer_; }

  // Tells the lists of the rows appended since they last learnt of any.
  void flushPendingRows();

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

  static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void createControls();
  void createToolTip();
  void layOut();
  int scaled(int twips) const;
  void clicked(int controlId);
  bool setCursorFor(HWND over);
  void updateProgressLine();

  HWND window_ = nullptr;
  std::array<std::unique_ptr<ResultListView>, 3> views_;
  HWND toolTip_ = nullptr;
  HWND progressLine_ = nullptr;
  Win32Host host_;
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
