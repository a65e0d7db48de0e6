// The desktop side of the spreadsheet export: finding a program that opens workbooks,
// starting it without waiting, and the private folders the workbooks live in.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/result_list.h"
#include "export/posix/desktop_spreadsheets.h"
#include "export/posix/spreadsheet_program.h"
#include "form/spreadsheet_export.h"
#include "recording_host.h"
#include "temp_tree.h"
#include "waited_file.h"

namespace plovane::test {
namespace {

using posix::DesktopEnvironment;
using Arguments = std::vector<std::string>;

void makeScript(const TempTree& tree, const std::string& relative, const std::string& body) {
  tree.makeFile(relative, 0, "#!/bin/sh\n" + body + "\n");
  ::chmod(tree.path(relative).c_str(), 0755);
}

DesktopEnvironment environmentIn(const TempTree& tree) {
  DesktopEnvironment environment;
  environment.searchPath = tree.path("empty") + ":" + tree.path("bin");
  environment.dataFolders = {tree.path("user-data"), tree.path("data")};
  environment.cacheFolder = tree.path("cache");
  tree.makeFolder("bin");
  tree.makeFolder("empty");
  return environment;
}

TEST(SpreadsheetProgramTest, LibreOfficeComesFirstThenTheDesktopsHandler) {
  TempTree tree;
  DesktopEnvironment environment = environmentIn(tree);
  const std::string bin = tree.path("bin/");

  EXPECT_FALSE(posix::findSpreadsheetProgram(environment));

  // A file that cannot be executed is no program.
  tree.makeFile("bin/soffice");
  EXPECT_FALSE(posix::findSpreadsheetProgram(environment));

  // The desktop's default handler, as xdg-mime names it, found in the user's data folder
  // before the system's.
  makeScript(tree, "bin/xdg-mime",
             "[ \"$*\" = 'query default "
             "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet' ] && "
             "echo sheets.desktop");
  tree.makeFile("data/applications/sheets.desktop", 0, "[Desktop Entry]\nExec=other %f\n");
  tree.makeFile("user-data/applications/sheets.desktop", 0,
                "[Desktop Action New]\nExec=wrong\n[Desktop Entry]\nName=Sheets\n"
                "Exec=viewer --new-window %f %i\n");
  // Named, but its program is not there.
  EXPECT_FALSE(posix::findSpreadsheetProgram(environment));
  makeScript(tree, "bin/viewer", "exit 0");
  auto handler = posix::findSpreadsheetProgram(environment);
  ASSERT_TRUE(handler);
  EXPECT_EQ((*handler)("/w/a b.xlsx"), (Arguments{bin + "viewer", "--new-window", "/w/a b.xlsx"}));

  makeScript(tree, "bin/localc", "exit 0");
  auto localc = posix::findSpreadsheetProgram(environment);
  ASSERT_TRUE(localc);
  EXPECT_EQ((*localc)("/w/r.xlsx"), (Arguments{bin + "localc", "-n", "/w/r.xlsx"}));

  makeScript(tree, "bin/soffice", "exit 0");
  auto soffice = posix::findSpreadsheetProgram(environment);
  ASSERT_TRUE(soffice);
  EXPECT_EQ((*soffice)("/w/r.xlsx"), (Arguments{bin + "soffice", "--calc", "-n", "/w/r.xlsx"}));
}

TEST(SpreadsheetProgramTest, DesktopEntryCommandLinesAreSplitAsTheDesktopDoes) {
  const std::string file = "/tmp/w 1.xlsx";
  const struct {
    const char* exec;
    Arguments expected;
  } cases[] = {
      {"calc %U", {"calc", file}},
      {"calc", {"calc", file}},
      {"calc --view %i %c %k %f", {"calc", "--view", file}},
      {"\"/opt/my calc/bin\" --open=%u", {"/opt/my calc/bin", "--open=" + file}},
      {"sh -c \"echo \\\"\\$1\\\" %f\" x", {"sh", "-c", "echo \"$1\" %f", "x", file}},
      {"calc 100%% %F", {"calc", "100%", file}},
      {"  calc\t--a  %f  ", {"calc", "--a", file}},
  };
  for (const auto& c : cases) {
    const auto arguments = posix::desktopEntryArguments(c.exec, file);
    ASSERT_TRUE(arguments) << c.exec;
    EXPECT_EQ(*arguments, c.expected) << c.exec;
  }
  EXPECT_FALSE(posix::desktopEntryArguments("calc \"unterminated %f", file));
  EXPECT_FALSE(posix::desktopEntryArguments("  %i ", file));
}

TEST(SpreadsheetProgramTest, TheExportOpensItsOwnPrivateWorkbookAndClearsOldOnes) {
  TempTree tree;
  const DesktopEnvironment environment = environmentIn(tree);
  const std::string arguments = tree.path("arguments");
  // The program notes its arguments and keeps a copy of what it was given to open.
  makeScript(tree, "bin/soffice",
             "printf '%s\\n' \"$@\" > '" + arguments + ".part'; cp \"$3\" '" +
                 tree.path("opened.xlsx") + "'; mv '" + arguments + ".part' '" + arguments + "'");
  const std::string workbooks = tree.path("cache/Kestrune/Plovane/workbooks");
  tree.makeFolder("cache/Kestrune/Plovane/workbooks/plovane-workbook-old");
  tree.makeFile("cache/Kestrune/Plovane/workbooks/plovane-workbook-old/Results.xlsx");
  tree.makeFolder("cache/Kestrune/Plovane/workbooks/plovane-workbook-recent");
  tree.makeFolder("cache/Kestrune/Plovane/workbooks/someone-elses");
  const auto twoDaysAgo = std::chrono::system_clock::now() - std::chrono::hours(48);
  const std::int64_t old =
      std::chrono::duration_cast<std::chrono::seconds>(twoDaysAgo.time_since_epoch()).count();
  tree.setTime("cache/Kestrune/Plovane/workbooks/plovane-workbook-old", old);
  tree.setTime("cache/Kestrune/Plovane/workbooks/someone-elses", old);

  posix::DesktopSpreadsheets spreadsheets(environment);
  EXPECT_EQ(spreadsheets.workbooksFolder(), workbooks);
  ResultList list;
  list.addColumn("Newer");
  list.addColumn("");
  list.addColumn("Older");
  list.appendRow("/a/x.txt", " is newer than", "/b/");
  list.setChecked(0, true);
  RecordingHost host;

  saveResultsAsExcelFile(list, host, spreadsheets);

  EXPECT_TRUE(host.errorReports.empty()) << host.errorReports.front();
  EXPECT_TRUE(host.messages.empty());
  const std::string given = waitForFile(arguments);
  const std::string prefix = "--calc\n-n\n" + workbooks + "/plovane-workbook-";
  ASSERT_EQ(given.rfind(prefix, 0), 0u) << given;
  const std::string workbook = given.substr(given.find('\n', given.find('\n') + 1) + 1);
  EXPECT_EQ(workbook.substr(workbook.size() - 14), "/Results.xlsx\n");
  const std::string folder = workbook.substr(0, workbook.size() - 14);
  struct stat status {};
  ASSERT_EQ(::stat(folder.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);
  // Only the workbook is left in its folder: the temporary data is gone.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_NE(fileText(tree.path("opened.xlsx")).find("xl/worksheets/sheet1.xml"), std::string::npos);

  EXPECT_FALSE(std::filesystem::exists(workbooks + "/plovane-workbook-old"));
  EXPECT_TRUE(std::filesystem::exists(workbooks + "/plovane-workbook-recent"));
  EXPECT_TRUE(std::filesystem::exists(workbooks + "/someone-elses"));
  // Two folders of ours: the recent one and this export's; the probe left none.
  int ours = 0;
  for (const auto& entry : std::filesystem::directory_iterator(workbooks)) {
    ours += entry.path().filename().string().rfind("plovane-workbook-", 0) == 0;
  }
  EXPECT_EQ(ours, 2);
}

TEST(SpreadsheetProgramTest, WithoutAProgramTheExportSaysSoTwice) {
  TempTree tree;
  posix::DesktopSpreadsheets spreadsheets(environmentIn(tree));
  RecordingHost host;
  EXPECT_THROW(spreadsheets.create(host), Failure);
  ResultList list;
  list.addColumn("Newer");
  list.appendRow("/a/x.txt");

  saveResultsAsExcelFile(list, host, spreadsheets);

  EXPECT_EQ(host.messages, (std::vector<std::string>{std::string(kSpreadsheetMissingForSoftware),
                                                     std::string(kSpreadsheetMissingForFeature)}));
  // What was looked for and how to get it; no word of a program Linux does not have.
  const std::string said = host.messages[0] + "\n" + host.messages[1];
  for (const char* part : {"LibreOffice Calc", "soffice or localc on the PATH", ".xlsx files",
                           "sudo apt install libreoffice-calc"}) {
    EXPECT_NE(said.find(part), std::string::npos) << part << " in:\n" << said;
  }
  EXPECT_EQ(said.find("Excel"), std::string::npos) << said;
  EXPECT_FALSE(std::filesystem::exists(tree.path("cache")));
}

TEST(SpreadsheetProgramTest, AProgramThatFailsToStartOrEndsAtOnceIsNamedWithTheWorkbooksPlace) {
  TempTree tree;
  const DesktopEnvironment environment = environmentIn(tree);
  const std::string program = tree.path("bin/soffice");
  const std::string workbooks = tree.path("cache/Kestrune/Plovane/workbooks");
  ResultList list;
  list.addColumn("Newer");
  list.appendRow("/a/x.txt");
  list.setChecked(0, true);

  const struct {
    const char* script;
    const char* reason;  // nothing when the program is left running, which is success
  } cases[] = {
      {"#!/bin/sh\nexit 1\n", "The program ended at once with exit status 1."},
      {"#!/nonexistent/interpreter\n",
       "The program could not be started: No such file or directory."},
      {"#!/bin/sh\nkill -KILL $$\n", "The program was ended at once by signal 9 (Killed)."},
      {"#!/bin/sh\nexec sleep 20\n", nullptr},
  };
  for (const auto& c : cases) {
    tree.makeFile("bin/soffice", 0, c.script);
    ::chmod(program.c_str(), 0755);
    posix::DesktopSpreadsheets spreadsheets(environment);
    RecordingHost host;
    const auto started = std::chrono::steady_clock::now();

    saveResultsAsExcelFile(list, host, spreadsheets);

    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_TRUE(host.errorReports.empty()) << c.script << host.errorReports.front();
    EXPECT_FALSE(host.busy);
    // The program is watched for the grace period at most, the window having its turns.
    EXPECT_LT(took, posix::DesktopSpreadsheets::kStartGracePeriod + std::chrono::seconds(5));
    if (!c.reason) {
      EXPECT_TRUE(host.messages.empty()) << host.messages.front();
      EXPECT_GE(took, posix::DesktopSpreadsheets::kStartGracePeriod);
      EXPECT_GT(host.yields, 50);
      continue;
    }
    ASSERT_EQ(host.messages.size(), 1u) << c.script;
    const std::string& message = host.messages[0];
    EXPECT_EQ(message.rfind("The spreadsheet program " + program + " could not open the results. " +
                                c.reason + "\n",
                            0),
              0u)
        << message;
    // The workbook is where the message says, whole, to be opened by hand.
    const std::string before = "The workbook was written to:\n";
    const std::size_t at = message.find(before);
    ASSERT_NE(at, std::string::npos) << message;
    const std::size_t start = at + before.size();
    const std::string workbook = message.substr(start, message.find('\n', start) - start);
    EXPECT_EQ(workbook.rfind(workbooks + "/plovane-workbook-", 0), 0u) << workbook;
    EXPECT_NE(fileText(workbook).find("xl/worksheets/sheet1.xml"), std::string::npos) << workbook;
  }
}

}  // namespace
}  // namespace plovane::test
