#pragma once

#include <string>
#include <string_view>

// Text crosses the Windows layer as UTF-8 and meets the system's wide (W) interfaces as
// UTF-16.
namespace plovane::platform::win32 {

std::wstring toWide(std::string_view text);
std::string toUtf8(std::wstring_view wide);

}  // namespace plovane::platform::win32
