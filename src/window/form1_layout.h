#pragma once

#include <string_view>

namespace plovane::form1_layout {

// The layout of the main window, Form1: where each control sits, what it says and where it
// comes in the tab order. Every front end builds the window from this table, and the tests
// check the real window against it. Sizes are in twips; 15 twips make one pixel at 96 dots
// per inch.
inline constexpr int kTwipsPerPixel = 15;

// Twips in whole pixels, a half pixel rounded up.
constexpr int pixels(int twips) {
  return (2 * twips + kTwipsPerPixel) / (2 * kTwipsPerPixel);
}

// The client area: the window's fixed size inside its border.
inline constexpr int kClientWidth = 8040;
inline constexpr int kClientHeight = 6795;

enum class ControlKind { kButton, kList };

struct ControlPlacement {
  // The control's designed name: "PushButton5", "ListView3".
  std::string_view name;
  ControlKind kind;
  // A button's caption; a list has none.
  std::string_view caption;
  // In the client area, in twips.
  int left;
  int top;
  int width;
  int height;
  // Its place in the tab order, from 0; the control at 0 has the focus first.
  int tabIndex;
};

inline constexpr ControlKind kButton = ControlKind::kButton;
inline constexpr ControlKind kList = ControlKind::kList;

// In the order the controls are made, top to bottom. One control a line: the real window's
// test script reads the placements from here.
// clang-format off
inline constexpr ControlPlacement kControls[] = {
    {"PushButton13", kButton, "Help",                         120,  120,  3840, 405,  8},
    {"PushButton9",  kButton, "Load Sample/Example Folders",  4080, 120,  3840, 405,  9},
    {"ListView1",    kList,   "",                             120,  620,  7800, 615,  1},
    {"PushButton3",  kButton, "1. Choose Folder 1",           120,  1320, 3840, 405,  3},
    {"PushButton2",  kButton, "Clear Folder",                 4080, 1320, 3840, 405,  5},
    {"ListView2",    kList,   "",                             120,  1820, 7800, 615,  2},
    {"PushButton1",  kButton, "2. Choose Folder 2",           120,  2520, 3840, 405,  4},
    {"PushButton4",  kButton, "Clear Folder",                 4080, 2520, 3840, 405,  6},
    {"ListView3",    kList,   "",                             120,  3030, 7800, 2145, 0},
    {"PushButton5",  kButton, "3. Start Comparing",           120,  5260, 7800, 405,  7},
    {"PushButton6",  kButton, "Save Results As Text File",    120,  5770, 3840, 405,  10},
    {"PushButton7",  kButton, "Save Results As Excel File",   4080, 5770, 3840, 405,  11},
    {"PushButton10", kButton, "Copy Results To Clipboard",    120,  6280, 3840, 405,  13},
    {"PushButton8",  kButton, "Clear List",                   4080, 6280, 3840, 405,  12},
};
// clang-format on

// The tool tip of all three lists.
inline constexpr std::string_view kListToolTip =
    "Double-click item to remove it. Move | line to right and out of window to reveal full "
    "names.";

struct FontDesign {
  std::string_view family;
  double points;
  bool bold;
};

inline constexpr FontDesign kButtonFont{"Arial", 11.25, true};
inline constexpr FontDesign kListFont{"Arial", 9, true};

// The placement of the control of that name; nullptr when the table has none.
const ControlPlacement* placementOf(std::string_view name);

}  // namespace plovane::form1_layout
