// The buttons of Form1: where the layout puts them, their tab order, and the procedures a
// click reaches.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "form/samples_and_help.h"
#include "list_view_input.h"
#include "platform/win32/wide_text.h"
#include "temp_tree.h"
#include "win32_form_rig.h"
#include "window/form1_layout.h"

namespace plovane::test {
namespace {

using form1_layout::ControlPlacement;

std::string textOf(HWND control) {
  wchar_t text[128] = {};
  GetWindowTextW(control, text, 128);
  return platform::win32::toUtf8(text);
}

TEST(ButtonsTest, EachControlSitsWhereTheLayoutSaysInItsTabOrder) {
  Win32FormRig rig;
  const HWND window = rig.form.handle();
  const auto dpi = static_cast<int>(GetDpiForWindow(window));
  const auto scaled = [dpi](int twips) { return MulDiv(form1_layout::pixels(twips), dpi, 96); };
  EXPECT_EQ(textOf(window), "Plovane");
  std::vector<const ControlPlacement*> order;
  for (const ControlPlacement& placement : form1_layout::kControls) {
    SCOPED_TRACE(std::string(placement.name));
    order.push_back(&placement);
    const HWND control = rig.form.control(placement.name);
    ASSERT_NE(control, nullptr);
    RECT at{};
    GetWindowRect(control, &at);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&at), 2);
    EXPECT_EQ((std::array<long, 4>{at.left, at.top, at.right - at.left, at.bottom - at.top}),
              (std::array<long, 4>{scaled(placement.left), scaled(placement.top),
                                   scaled(placement.width), scaled(placement.height)}));
    EXPECT_EQ(textOf(control), placement.caption);  // the lists have none
  }
  std::sort(order.begin(), order.end(),
            [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
  HWND current = rig.form.control(order.back()->name);
  for (const ControlPlacement* next : order) {
    current = GetNextDlgTabItem(window, current, FALSE);
    EXPECT_EQ(current, rig.form.control(next->name)) << "expected " << next->name;
  }
}

TEST(ButtonsTest, ClicksReachTheirProcedures) {
  TempTree program;
  program.makeFolder("Samples/Folder1");
  program.makeFolder("Samples/Folder2");
  const std::string root = program.root();
  Win32FormRig rig(root.substr(0, root.size() - 1));
  const auto click = [&](const char* name) {
    SendMessageW(rig.form.control(name), BM_CLICK, 0, 0);
  };

  click("PushButton9");
  EXPECT_EQ(rig.form.listView1().cell(0, 0).view(), program.path("Samples\\Folder1\\"));
  EXPECT_EQ(rig.form.listView2().cell(0, 0).view(), program.path("Samples\\Folder2\\"));
  EXPECT_EQ(rig.settings.read(settings_key::kListView2, ""), program.path("Samples\\Folder2\\"));
  EXPECT_TRUE(pumpUntil([&] { return itemCount(rig.form.ListView1()) == 1; }));
  rig.form.listView3().appendRow("a", "", "");
  click("PushButton8");
  EXPECT_EQ(rig.form.listView3().rowCount(), 0u);
  EXPECT_EQ(itemCount(rig.form.ListView3()), 0);
  EXPECT_TRUE(rig.sawNoMessageBox());

  click("PushButton13");
  ASSERT_EQ(rig.boxes.plains.size(), 1u);
  EXPECT_EQ(rig.boxes.plains[0].text, helpText());
  EXPECT_EQ(rig.boxes.plains[0].title, "Plovane");
}

}  // namespace
}  // namespace plovane::test
