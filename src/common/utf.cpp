#include "common/utf.h"

#include <cstdint>
#include <cstring>

namespace plovane {

namespace {

bool isContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

}  // namespace

DecodedCharacter decodeUtf8At(std::string_view text, std::size_t position) noexcept {
  const auto lead = static_cast<unsigned char>(text[position]);
  if (lead < 0x80) return {lead, true, 1};

  std::size_t length = 0;
  char32_t codePoint = 0;
  char32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, codePoint = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, codePoint = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, codePoint = lead & 0x07, smallest = 0x10000;
  } else {
    return {};
  }
  if (position + length > text.size()) return {};
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[position + i]);
    if (!isContinuation(byte)) return {};
    codePoint = (codePoint << 6) | (byte & 0x3F);
  }
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  if (codePoint < smallest || codePoint > 0x10FFFF || surrogate) return {};
  return {codePoint, true, length};
}

std::size_t utf16Length(std::string_view text) noexcept {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  std::size_t units = 0;
  for (std::size_t position = 0; position < text.size();) {
    // Exports measure every cell of lists of millions of rows, mostly ASCII paths: eight
    // bytes without a high bit are eight units.
    std::uint64_t word = 0;
    if (position + sizeof word <= text.size()) {
      std::memcpy(&word, text.data() + position, sizeof word);
      if ((word & kHighBits) == 0) {
        units += sizeof word;
        position += sizeof word;
        continue;
      }
    }
    if (static_cast<unsigned char>(text[position]) < 0x80) {
      ++units;
      ++position;
      continue;
    }
    const DecodedCharacter character = decodeUtf8At(text, position);
    units += (character.wellFormed && character.codePoint > 0xFFFF) ? 2 : 1;
    position += character.byteCount;
  }
  return units;
}

}  // namespace plovane
