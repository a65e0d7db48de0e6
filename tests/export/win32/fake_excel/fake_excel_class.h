#pragma once

#include "platform/win32/windows_api.h"

// The class of the fake automation server's application object. The tests map the name
// "Excel.Application" to it in their own Wine prefix, and the server registers its class
// object under it.
namespace plovane::test::fake_excel {

inline constexpr GUID kApplicationClass = {
    0xbb6571ae, 0x43f4, 0x4b80, {0x92, 0x40, 0x57, 0x81, 0x3a, 0xae, 0x94, 0x78}};
inline constexpr wchar_t kApplicationClassText[] = L"{BB6571AE-43F4-4B80-9240-57813AAE9478}";

}  // namespace plovane::test::fake_excel
