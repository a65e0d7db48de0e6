#include "cli/terminal_text.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/host.h"
#include "common/result_list.h"
#include "common/utf.h"
#include "export/clipboard_text.h"

namespace plovane::cli {

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Whether one of eight bytes is below 0x20, is DEL or has its high bit set (so may start a
// C1 control or an ill-formed sequence). Paths are mostly plain ASCII: eight bytes a step.
bool mayHoldControl(std::uint64_t word) noexcept {
  const std::uint64_t belowSpace = (word - kOnes * 0x20) & ~word;
  const std::uint64_t zeroAtDelete = word ^ (kOnes * 0x7F);
  const std::uint64_t isDelete = (zeroAtDelete - kOnes) & ~zeroAtDelete;
  return ((word | belowSpace | isDelete) & kHighBits) != 0;
}

struct Character {
  std::size_t byteCount = 1;
  bool control = false;
};

Character characterAt(std::string_view text, std::size_t position) noexcept {
  const auto byte = static_cast<unsigned char>(text[position]);
  if (byte < 0x80) return {1, byte < 0x20 || byte == 0x7F};
  const DecodedCharacter decoded = decodeUtf8At(text, position);
  const bool c1 = decoded.codePoint >= 0x80 && decoded.codePoint <= 0x9F;
  return {decoded.byteCount, !decoded.wellFormed || c1};
}

void appendOctal(std::string& text, unsigned char byte) {
  const char escape[] = {'\\', static_cast<char>('0' + (byte >> 6)),
                         static_cast<char>('0' + ((byte >> 3) & 7)),
                         static_cast<char>('0' + (byte & 7))};
  text.append(escape, sizeof escape);
}

bool anyCellNeedsVisibleControls(const ResultList& list, Host& host) {
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    host.yield();
    for (std::size_t column = 0; column < ResultList::kMaxCells; ++column) {
      if (needsVisibleControls(list.cell(row, column).view())) return true;
    }
  }
  return false;
}

SharedText visibleCell(const SharedText& cell) {
  return needsVisibleControls(cell.view()) ? SharedText(visibleControls(cell.view())) : cell;
}

// The list again with its cells made visible; cells that need nothing share their text.
void copyVisible(const ResultList& list, ResultList& copy, Host& host) {
  for (std::size_t column = 0; column < list.columnCount(); ++column) {
    copy.addColumn(list.column(column).header, list.column(column).widthTwips);
  }
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    host.yield();
    copy.appendRow(visibleCell(list.cell(row, 0)), visibleCell(list.cell(row, 1)),
                   visibleCell(list.cell(row, 2)));
    copy.setChecked(row, list.isChecked(row));
  }
}

}  // namespace

bool needsVisibleControls(std::string_view text) noexcept {
  for (std::size_t position = 0; position < text.size();) {
    std::uint64_t word = 0;
    if (position + sizeof word <= text.size()) {
      std::memcpy(&word, text.data() + position, sizeof word);
      if (!mayHoldControl(word)) {
        position += sizeof word;
        continue;
      }
    }
    const Character character = characterAt(text, position);
    if (character.control) return true;
    position += character.byteCount;
  }
  return false;
}

std::string visibleControls(std::string_view text) {
  if (!needsVisibleControls(text)) return std::string(text);
  std::string visible;
  visible.reserve(text.size() + 16);
  for (std::size_t position = 0; position < text.size();) {
    const Character character = characterAt(text, position);
    const std::string_view bytes = text.substr(position, character.byteCount);
    if (character.control) {
      for (const char byte : bytes) appendOctal(visible, static_cast<unsigned char>(byte));
    } else {
      visible += bytes;
    }
    position += character.byteCount;
  }
  return visible;
}

std::string alignedForTerminal(const ResultList& list, Host& host, std::string_view lineEnd) {
  if (!anyCellNeedsVisibleControls(list, host)) return clipboardText(list, host, lineEnd);
  ResultList visible;
  copyVisible(list, visible, host);
  return clipboardText(visible, host, lineEnd);
}

}  // namespace plovane::cli
