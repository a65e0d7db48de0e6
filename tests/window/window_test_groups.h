#pragma once

namespace plovane::test {

// The test groups, each a Qt Test class run by main().
int runLayoutTests(int argc, char** argv);
int runComparingTests(int argc, char** argv);
int runEditingTests(int argc, char** argv);
int runStartUpTests(int argc, char** argv);
int runResultListModelTests(int argc, char** argv);
int runTextExportTests(int argc, char** argv);
int runSpreadsheetExportTests(int argc, char** argv);

}  // namespace plovane::test
