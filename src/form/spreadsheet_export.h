#pragma once

#include <string_view>

namespace plovane {

class Host;
class ResultList;
class SpreadsheetApplications;

#ifdef _WIN32
inline constexpr std::string_view kSpreadsheetMissingForSoftware =
    "Excel is not installed on this computer. You need to have it installed to use this "
    "software without error.";
inline constexpr std::string_view kSpreadsheetMissingForFeature =
    "Excel is not installed on this computer. You need to have it installed to use this "
    "feature.";
#else
// Said in a row when no program is found: first what was looked for, then how to get one.
inline constexpr std::string_view kSpreadsheetMissingForSoftware =
    "No spreadsheet program was found on this computer: neither LibreOffice Calc (soffice or "
    "localc on the PATH) nor a program that the desktop opens .xlsx files with. You need one "
    "to use this software without error.";
inline constexpr std::string_view kSpreadsheetMissingForFeature =
    "You need LibreOffice Calc, or another program that opens .xlsx files, to use this "
    "feature. To install LibreOffice Calc on Debian or Ubuntu: sudo apt install "
    "libreoffice-calc";
#endif

// Whether a spreadsheet application can be started: one is started and released at once.
// When none can, says so in a message and answers false. Never shows an error report.
bool SaveResultsAsExcelFileIsExcelInstalled(Host& host, SpreadsheetApplications& spreadsheets);

// "Save Results As Excel File": copies the checked rows of the list into a new workbook of a
// new spreadsheet application and leaves it open for the user. Headers go into row 1, list
// row r into sheet row r + 1; empty texts are skipped without a gap. Rows past the last row
// of a sheet go on in a new sheet with the same header row.
void saveResultsAsExcelFile(const ResultList& list, Host& host,
                            SpreadsheetApplications& spreadsheets);

}  // namespace plovane
