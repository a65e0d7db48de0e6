// The texts the Win32 dialogs take: line breaks for MessageBoxW and the save dialog's filter.

#include <gtest/gtest.h>

#include <string>

#include "window/win32/win32_services.h"

namespace plovane::test {
namespace {

TEST(DialogTextsTest, EveryLineBreakBecomesCrLf) {
  EXPECT_EQ(messageBoxText("a\rb\nc\r\nd"), L"a\r\nb\r\nc\r\nd");
  EXPECT_EQ(messageBoxText("\r\r\n\n\r"), L"\r\n\r\n\r\n\r\n");
  EXPECT_EQ(messageBoxText("Größe\r"), L"Größe\r\n");
}

TEST(DialogTextsTest, FilterPartsEndWithNulAndTheListWithAnother) {
  const std::wstring expected(L"Text Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0\0", 46);
  EXPECT_EQ(Win32SaveFileDialog::filterOf("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"),
            expected);
  EXPECT_EQ(Win32SaveFileDialog::filterOf("Text Files (*.txt)|*.txt|All Files (*.*)|*.*"),
            expected);
  EXPECT_EQ(Win32SaveFileDialog::filterOf("Textdatei (*.txt)|*.txt"),
            std::wstring(L"Textdatei (*.txt)\0*.txt\0\0", 25));
}

}  // namespace
}  // namespace plovane::test
