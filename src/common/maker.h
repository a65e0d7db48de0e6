#pragma once

#include <string_view>

namespace plovane::maker {

// The maker's addresses, kept in one place. They are placeholders in a reserved domain.
inline constexpr std::string_view kSupportEmail = "support@kestrune.example";
inline constexpr std::string_view kContactFormUrl = "https://kestrune.example/contact";
inline constexpr std::string_view kHomePageUrl = "https://kestrune.example/";

inline constexpr std::string_view kProductName = "Plovane";

}  // namespace plovane::maker
