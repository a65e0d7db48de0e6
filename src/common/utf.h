#pragma once

#include <cstddef>
#include <string_view>

namespace plovane {

// Text in the core is UTF-8. On POSIX it may also hold file-name bytes that are not valid
// UTF-8. These helpers treat a byte that does not start a well-formed sequence as one
// character of its own, so they never fail and never lose a byte.

struct DecodedCharacter {
  char32_t codePoint = 0;  // meaningful only when wellFormed
  bool wellFormed = false;
  std::size_t byteCount = 1;
};

// Decodes the character that starts at text[position]; position must be inside text.
DecodedCharacter decodeUtf8At(std::string_view text, std::size_t position) noexcept;

// The length in UTF-16 code units, the unit in which widths and lengths are counted.
// An ill-formed byte counts as one unit (it stands for one replacement character).
std::size_t utf16Length(std::string_view text) noexcept;

}  // namespace plovane
