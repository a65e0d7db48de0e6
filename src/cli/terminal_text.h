#pragma once

#include <string>
#include <string_view>

namespace plovane {
class Host;
class ResultList;
}  // namespace plovane

namespace plovane::cli {

// File names are chosen by whoever made the files, and a terminal acts on some of their
// characters: an escape sequence retitles it or recolours it, a carriage return overwrites a
// row, a lone 0x9B byte starts a sequence on some terminals. Text shown on a terminal gets
// these characters written as an octal escape of each byte (ESC reads \033): C0 controls,
// DEL, C1 controls (U+0080..U+009F) and bytes that are not valid UTF-8. Everything else,
// the backslash (Windows' separator) included, is left as it is.

// Whether visibleControls would change the text; cheap enough to ask of every cell.
bool needsVisibleControls(std::string_view text) noexcept;

// The text with every character a terminal would act on written as octal escapes.
std::string visibleControls(std::string_view text);

// The rows aligned in columns, as clipboardText gives them, with the cells made visible
// first so that the columns stay aligned. A list none of whose cells needs it is not copied.
std::string alignedForTerminal(const ResultList& list, Host& host, std::string_view lineEnd);

}  // namespace plovane::cli
