#include "window/win32/form1.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "common/clipboard.h"
#include "common/failure.h"
#include "form/folder_browser.h"
#include "form/list_editing.h"
#include "form/message_boxes.h"
#include "form/save_file_dialog.h"
#include "platform/win32/owned.h"
#include "platform/win32/wide_text.h"
#include "window/win32/control_ids.h"
#include "window/win32/owned_by_window.h"

namespace plovane {

namespace {

using form1_layout::ControlPlacement;
using platform::win32::toWide;

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr UINT_PTR kProgressTimer = 1;
// The progress line changes at most five times a second.
constexpr UINT kProgressIntervalMs = 200;
// Posted by openWithFolders: the comparison starts once the message loop runs.
constexpr UINT kStartComparing = WM_APP + 1;
// The program's icon in the resources.
constexpr int kIconResource = 1;

// The buttons of the layout by name, with their handlers.
struct ButtonWiring {
  std::string_view name;
  void (Form1::*click)();
};

const ButtonWiring kButtonWiring[] = {
    {"PushButton1", &Form1::PushButton1_Click},   {"PushButton2", &Form1::PushButton2_Click},
    {"PushButton3", &Form1::PushButton3_Click},   {"PushButton4", &Form1::PushButton4_Click},
    {"PushButton5", &Form1::PushButton5_Click},   {"PushButton6", &Form1::PushButton6_Click},
    {"PushButton7", &Form1::PushButton7_Click},   {"PushButton8", &Form1::PushButton8_Click},
    {"PushButton9", &Form1::PushButton9_Click},   {"PushButton10", &Form1::PushButton10_Click},
    {"PushButton13", &Form1::PushButton13_Click},
};

const ButtonWiring* wiringOf(int controlId) {
  for (const ButtonWiring& wiring : kButtonWiring) {
    if (control_ids::controlIdOf(wiring.name) == controlId) return &wiring;
  }
  return nullptr;
}

// ListView1 is list 0, and so on.
std::size_t listIndexOf(std::string_view name) {
  const int id = control_ids::controlIdOf(name);
  if (id <= control_ids::kListBase || id > control_ids::kListBase + 3) {
    throw std::logic_error("The layout names a list that Form1 does not have");
  }
  return static_cast<std::size_t>(id - control_ids::kListBase - 1);
}

// The layout's controls in their tab order: the order they are made in is the order Tab
// moves through them.
std::vector<const ControlPlacement*> inTabOrder() {
  std::vector<const ControlPlacement*> order;
  for (const ControlPlacement& placement : form1_layout::kControls) order.push_back(&placement);
  std::sort(order.begin(), order.end(),
            [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
  return order;
}

HFONT createFont(const form1_layout::FontDesign& design, UINT dpi) {
  const int height = -static_cast<int>(std::lround(design.points * dpi / 72.0));
  return CreateFontW(height, 0, 0, 0, design.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, toWide(design.family).c_str());
}

void registerWindowClass(WNDPROC procedure) {
  static const bool registered = [procedure] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = Form1::kClassName;
    // No class cursor: the window chooses one on each WM_SETCURSOR.
    return RegisterClassExW(&windowClass) != 0;
  }();
  if (!registered) throw std::runtime_error("The main window's class could not be registered");
}

}  // namespace

Form1::Form1(Form1Services services)
    : Form1Procedures(std::move(services)), host_(services_.messageBoxes, services_.settings) {
  registerWindowClass(windowProcedure);
  background_ = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  window_ =
      CreateWindowExW(0, kClassName, L"", kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window_) throw std::runtime_error("The main window could not be made");
  // Messages before this one, those of the window's creation, go to DefWindowProcW.
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  host_.setWindow(window_);
  ownDialogsOf(services_.messageBoxes, window_);
  ownDialogsOf(services_.folderBrowser, window_);
  ownDialogsOf(services_.saveFileDialog, window_);
  ownDialogsOf(services_.clipboard, window_);
  dpi_ = GetDpiForWindow(window_);
  createControls();
  createToolTip();
  layOut();
}

Form1::~Form1() {
  for (auto& view : views_) view.reset();
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
  for (HGDIOBJ object : {static_cast<HGDIOBJ>(buttonFont_), static_cast<HGDIOBJ>(listFont_)}) {
    if (object) DeleteObject(object);
  }
  if (customPointer_) DestroyCursor(customPointer_);
  if (bigIcon_) DestroyIcon(bigIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
}

void Form1::createControls() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  for (const ControlPlacement* placement : inTabOrder()) {
    const int id = control_ids::controlIdOf(placement->name);
    if (placement->kind == form1_layout::kList) {
      const std::size_t slot = listIndexOf(placement->name);
      views_[slot] = std::make_unique<ResultListView>(window_, id, lists_[slot], slot == 2);
      if (slot < 2) {
        views_[slot]->onDoubleClick = [this, slot] {
          removeSelectedRowOfList(static_cast<int>(slot), std::nullopt);
        };
        views_[slot]->onDeleteKey = [this, slot] {
          removeSelectedRowOfList(static_cast<int>(slot), kDeleteKeyCode);
        };
      }
      continue;
    }
    if (!wiringOf(id)) throw std::logic_error("The layout names a button that Form1 does not have");
    CreateWindowExW(0, WC_BUTTONW, toWide(placement->caption).c_str(),
                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, window_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  }
  // Lies over the result list's empty area while a run reads the trees.
  progressLine_ =
      CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, 0, 0,
                      0, 0, ListView3(), nullptr, instance, nullptr);
}

// The tool tip of the three lists, shown while the mouse rests on one.
void Form1::createToolTip() {
  toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_NOFADE | TTS_NOANIMATE,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  static std::wstring text = toWide(form1_layout::kListToolTip);
  for (const auto& view : views_) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(view->handle());
    tool.lpszText = text.data();
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

int Form1::scaled(int twips) const {
  return MulDiv(form1_layout::pixels(twips), static_cast<int>(dpi_), USER_DEFAULT_SCREEN_DPI);
}

// Places every control, and sizes the window around them, for the current dots per inch.
void Form1::layOut() {
  for (HFONT font : {buttonFont_, listFont_}) {
    if (font) DeleteObject(font);
  }
  buttonFont_ = createFont(form1_layout::kButtonFont, dpi_);
  listFont_ = createFont(form1_layout::kListFont, dpi_);
  for (const ControlPlacement& placement : form1_layout::kControls) {
    HWND child = control(placement.name);
    SetWindowPos(child, nullptr, scaled(placement.left), scaled(placement.top),
                 scaled(placement.width), scaled(placement.height), SWP_NOZORDER | SWP_NOACTIVATE);
    const bool list = placement.kind == form1_layout::kList;
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(list ? listFont_ : buttonFont_), TRUE);
  }
  for (const auto& view : views_) view->setDpi(dpi_);
  SendMessageW(progressLine_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_), TRUE);
  RECT frame{0, 0, scaled(form1_layout::kClientWidth), scaled(form1_layout::kClientHeight)};
  AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, 0, dpi_);
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND Form1::control(std::string_view name) const {
  const int id = control_ids::controlIdOf(name);
  return id ? GetDlgItem(window_, id) : nullptr;
}

void Form1::show(int showCommand) {
  RECT frame{};
  GetWindowRect(window_, &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
    const RECT& work = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(window_, showCommand);
  UpdateWindow(window_);
  SetFocus(control(inTabOrder().front()->name));
}

void Form1::flushPendingRows() {
  for (const auto& view : views_) view->flushPendingRows();
}

// --- The set-up's calls on the window ---------------------------------------------------

// The skin beside the program gives the window the system's button face. Its rules are style
// sheets for the window on Qt; here the file is only read, so that one that cannot be is
// reported as there.
void Form1::applyAppearance() {
  const std::wstring skinFile = toWide(services_.programFolder + "\\x\\o.cjs");
  const DWORD attributes = GetFileAttributesW(skinFile.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN))) {
    return;  // the design look stays
  }
  const platform::win32::OwnedHandle file(CreateFileW(skinFile.c_str(), GENERIC_READ,
                                                      FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    throw Failure("The skin file could not be read", failure_code::kPathNotFound);
  }
  skinned_ = true;
  background_ = GetSysColorBrush(COLOR_BTNFACE);
  InvalidateRect(window_, nullptr, TRUE);
}

void Form1::loadCustomPointer(const std::string& path) {
  HCURSOR pointer = LoadCursorFromFileW(toWide(path).c_str());
  if (!pointer) throw Failure("The pointer file could not be loaded");
  if (customPointer_) DestroyCursor(customPointer_);
  customPointer_ = pointer;
}

void Form1::setCaption(const std::string& caption) {
  SetWindowTextW(window_, toWide(caption).c_str());
}

// A build without the resources (a test) keeps the system's icon.
void Form1::setProgramIcon() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const auto load = [&](int metricX, int metricY) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                         GetSystemMetricsForDpi(metricX, dpi_),
                                         GetSystemMetricsForDpi(metricY, dpi_), 0));
  };
  if (HICON big = load(SM_CXICON, SM_CYICON)) {
    if (bigIcon_) DestroyIcon(bigIcon_);
    bigIcon_ = big;
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  }
  if (HICON small = load(SM_CXSMICON, SM_CYSMICON)) {
    if (smallIcon_) DestroyIcon(smallIcon_);
    smallIcon_ = small;
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  }
}

void Form1::setApplicationTitle(const std::string& title) {
  host_.setApplicationTitle(title);
}

// --- The run's start and end ----------------------------------------------------------

void Form1::comparisonStarting() {
  SetTimer(window_, kProgressTimer, kProgressIntervalMs, nullptr);
}

void Form1::comparisonEnded() {
  KillTimer(window_, kProgressTimer);
  updateProgressLine();
  flushPendingRows();
}

void Form1::startComparingSoon() {
  PostMessageW(window_, kStartComparing, 0, 0);
}

// Read from the run's own counters by a timer that fires during the run's yields.
void Form1::updateProgressLine() {
  const std::string text = progressText();
  if (text.empty()) {
    ShowWindow(progressLine_, SW_HIDE);
    return;
  }
  RECT area{};
  GetClientRect(ListView3(), &area);
  RECT header{};
  if (HWND headerControl = ListView_GetHeader(ListView3())) {
    GetWindowRect(headerControl, &header);
  }
  area.top += header.bottom - header.top;
  SetWindowTextW(progressLine_, toWide(text).c_str());
  SetWindowPos(progressLine_, HWND_TOP, area.left, area.top, area.right - area.left,
               area.bottom - area.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// --- Messages ----------------------------------------------------------------------------

LRESULT CALLBACK Form1::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  return self->handleMessage(message, wParam, lParam);
}

void Form1::clicked(int controlId) {
  if (const ButtonWiring* wiring = wiringOf(controlId)) (this->*wiring->click)();
}

// The wait cursor while busy; over a button the hand pointer when one was loaded; the arrow
// over the bare window. The lists keep their own.
bool Form1::setCursorFor(HWND over) {
  if (host_.isBusy()) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return true;
  }
  const int id = GetDlgCtrlID(over);
  const bool button = GetParent(over) == window_ && wiringOf(id) != nullptr;
  if (button) {
    SetCursor(customPointer_ ? customPointer_ : LoadCursorW(nullptr, IDC_ARROW));
    return true;
  }
  if (over == window_) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    return true;
  }
  return false;
}

LRESULT Form1::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && lParam != 0) clicked(LOWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
      for (const auto& view : views_) {
        if (view && header.hwndFrom == view->handle()) {
          if (const auto result = view->notify(header)) return *result;
        }
      }
      break;
    }
    case WM_SETCURSOR:
      if (setCursorFor(reinterpret_cast<HWND>(wParam))) return TRUE;
      break;
    case WM_TIMER:
      if (wParam == kProgressTimer) {
        updateProgressLine();
        return 0;
      }
      break;
    case kStartComparing:
      PushButton5_Click();
      return 0;
    case WM_ERASEBKGND: {
      RECT area{};
      GetClientRect(window_, &area);
      FillRect(reinterpret_cast<HDC>(wParam), &area, background_);
      return 1;
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(background_);
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wParam);
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      layOut();
      return 0;
    }
    case WM_CLOSE:
      // Every setting was written when it changed; nothing is left to save.
      if (services_.endProcess) {
        services_.endProcess();
        return 0;
      }
      ShowWindow(window_, SW_HIDE);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace plovane
