#pragma once

#include <string_view>

#include "form/save_file_dialog.h"

namespace plovane {

class Clipboard;
class Host;
class ResultList;

// The save dialog as "Save Results As Text File" sets it up: no question before an
// existing file is overwritten, no check that the path or file exists.
inline constexpr long kTextReportDialogFlags =
    SaveFileDialog::kReadOnlyBox | SaveFileDialog::kMultipleSelection |
    SaveFileDialog::kExplorerStyle | SaveFileDialog::kLongNames;
inline constexpr std::string_view kTextReportDialogTitle = "Save";
inline constexpr std::string_view kTextReportDialogFilter =
    "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|";

// "Save Results As Text File": asks for a file name and, unless cancelled, writes the text
// report of ListView3 to it, the window busy meanwhile. The name is used as the dialog
// returns it: no extension is added.
void saveResultsAsTextFile(const ResultList& listView3, Host& host, SaveFileDialog& dialog);

// "Copy Results To Clipboard": puts the clipboard text of ListView3 on the clipboard. The
// window does not become busy.
void copyResultsToClipboard(const ResultList& listView3, Host& host, Clipboard& clipboard);

}  // namespace plovane
