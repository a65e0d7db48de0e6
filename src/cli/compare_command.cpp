#include "cli/compare_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "cli/console_host.h"
#include "common/failure.h"
#include "common/result_list.h"
#include "compare/comparison_run.h"
#include "export/clipboard_text.h"
#include "export/text_report.h"
#include "form/folder_chooser.h"
#include "form/form_setup.h"
#include "form/spreadsheet_export.h"
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "platform/process.h"
#include "scan/folder_tree.h"
#include "scan/read_ahead.h"
#ifndef _WIN32
#include "export/xlsx_spreadsheet.h"
#endif

namespace plovane::cli {

namespace {

#ifdef _WIN32
constexpr std::string_view kLineEnd = "\r\n";
#else
constexpr std::string_view kLineEnd = "\n";
#endif
constexpr std::int64_t kProgressIntervalMilliseconds = 200;  // five times a second
constexpr std::string_view kStandardOutput = "-";

struct Options {
  std::string folder1;
  std::string folder2;
  bool tsv = false;
  std::vector<std::string> text;  // each may be given more than once
  std::vector<std::string> xlsx;
  bool quiet = false;
  bool help = false;
  unsigned threads = 0;  // the run's own choice
};

// Parses with CLI11, which wants the arguments last first.
Options parse(std::vector<std::string> arguments) {
  Options options;
  CLI::App app("plovane compare", "plovane compare");
  app.set_help_flag();
  app.add_option("FOLDER1", options.folder1)->required();
  app.add_option("FOLDER2", options.folder2)->required();
  app.add_flag("--tsv", options.tsv);
  app.add_option("--text", options.text)
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  app.add_option("--xlsx", options.xlsx)
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  app.add_flag("-q,--quiet", options.quiet);
  app.add_option("--threads", options.threads)->check(CLI::Range(1u, kMaxReaderThreads));
  app.add_flag("-h,--help", options.help);
  std::reverse(arguments.begin(), arguments.end());
  try {
    app.parse(arguments);
  } catch (const CLI::ParseError& error) {
    // A help request needs no folders.
    if (!options.help) throw;
  }
  return options;
}

class Outputs {
 public:
  Outputs(const Console& console, ConsoleHost& host) : console_(console), host_(host) {}

  bool troubled() const { return troubled_; }

  void trouble(const std::string& text) {
    troubled_ = true;
    host_.printLine(text);
  }

  // Writes bytes to standard output. A reader that went away early ends the program
  // quietly, as it would on a pipe's signal.
  void writeOut(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), console_.out) != bytes.size() ||
        std::fflush(console_.out) != 0) {
      if (errno == EPIPE) std::_Exit(kTrouble);
      trouble(std::string("cannot write to standard output: ") + std::strerror(errno));
    }
  }

  // Whether the named output file can be written: it is made (or emptied) now, so that a
  // bad name is told at once and the other outputs still get written.
  bool canWrite(const std::string& file, std::string_view option) {
    if (file == kStandardOutput) return true;
    try {
      std::fclose(platform::openFileForWriting(file));
      return true;
    } catch (const Failure& failure) {
      trouble("cannot write " + std::string(option) + " " + file + ": " + failure.what());
      return false;
    }
  }

  // Lets a writer that takes a file name write to standard output through a private
  // temporary file.
  template <class Writer>
  void writeFile(const std::string& file, Writer&& writer) {
    if (file != kStandardOutput) {
      writer(file);
      return;
    }
    const std::string folder = platform::makePrivateTemporaryFolder();
    const std::string temporary = folder + platform::kSeparator + "output";
    writer(temporary);
    copyToOut(temporary);
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::u8path(folder), ignored);
  }

 private:
  void copyToOut(const std::string& path) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return;  // the writer has reported why
    char buffer[1 << 16];
    for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, in)) > 0;) {
      writeOut(std::string_view(buffer, count));
    }
    std::fclose(in);
  }

  const Console& console_;
  ConsoleHost& host_;
  bool troubled_ = false;
};

// A chosen folder must be there and readable; the window would quietly list nothing.
std::optional<std::string> folderProblem(const std::string& argument, const std::string& folder) {
  if (argument.empty()) return "a folder argument is empty";
  const platform::FileSystem& fs = platform::nativeFileSystem();
  if (!IsFolder(fs, folder)) return "folder not found: " + argument;
  struct Listed {};
  try {
    fs.forEachEntry(folder, [](std::string_view, platform::EntryKind) { throw Listed(); });
  } catch (const Listed&) {
  } catch (const Failure& failure) {
    return "cannot read folder " + argument + ": " + failure.what();
  }
  return std::nullopt;
}

std::string tabSeparated(const ResultList& list) {
  // Sized first: a text of millions of rows is then written once, never copied as it grows.
  std::size_t size = 0;
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    for (std::size_t column = 0; column < ResultList::kMaxCells; ++column) {
      size += list.cell(row, column).size() + 1;
    }
  }
  std::string text;
  text.reserve(size);
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    for (std::size_t column = 0; column < ResultList::kMaxCells; ++column) {
      if (column > 0) text += '\t';
      text += list.cell(row, column).view();
    }
    text += '\n';
  }
  return text;
}

#ifndef _WIN32
// Windows refuses --xlsx before the run (runCompare); this build has no workbook writer there.
void writeWorkbook(const ResultList& list, const std::string& file, ConsoleHost& host) {
  XlsxFileSpreadsheets spreadsheets(file);
  if (list.rowCount() > 0) {
    SaveResultsAsExcelFile(list, host, spreadsheets);
    return;
  }
  // The button does nothing for no rows; a command asked for a file writes an empty one.
  const auto spreadsheet = spreadsheets.create(host);
  spreadsheet->addWorkbook();
  spreadsheet->makeVisible();
}
#endif

}  // namespace

int runCompare(const std::vector<std::string>& arguments, const Console& console) {
  Options options;
  try {
    options = parse(arguments);
  } catch (const CLI::ParseError& error) {
    std::fprintf(console.err, "plovane compare: %s\n\n%s", error.what(), usage().c_str());
    return kTrouble;
  }
  if (options.help) {
    std::fputs(usage().c_str(), console.out);
    return kNoRows;
  }
#ifdef _WIN32
  // Refused before any file is made or any tree is read: a run that ended without the
  // workbook it was asked for must not look like one that wrote it.
  if (!options.xlsx.empty()) {
    std::fputs("plovane compare: --xlsx is not available in this build\n", console.err);
    return kTrouble;
  }
#endif

  ConsoleHost host(console.err);
  Outputs outputs(console, host);
  const std::string folder1 = FolderOfArgument(options.folder1);
  const std::string folder2 = FolderOfArgument(options.folder2);
  for (const auto& [argument, folder] :
       {std::pair{options.folder1, folder1}, {options.folder2, folder2}}) {
    if (const auto problem = folderProblem(argument, folder)) {
      host.printLine(*problem);
      return kTrouble;
    }
  }
  std::vector<std::string> texts, workbooks;
  for (const std::string& file : options.text) {
    if (outputs.canWrite(file, "--text")) texts.push_back(file);
  }
  for (const std::string& file : options.xlsx) {
    if (outputs.canWrite(file, "--xlsx")) workbooks.push_back(file);
  }

  ResultList listView1, listView2, listView3;
  AddResultColumns(listView3);
  PresetFolderBrowser chosen1(folder1), chosen2(folder2);
  ChooseFolder1(listView1, host, chosen1);
  ChooseFolder2(listView2, host, chosen2);
  ComparisonRun run(platform::nativeFileSystem(), options.threads);
  if (console.errIsTerminal && !options.quiet) {
    host.onProgress(
        [&] {
          host.showProgress(describeProgress(run) + ", " +
                            withThousandsSeparators(listView3.rowCount()) + " rows");
        },
        kProgressIntervalMilliseconds);
  }
  run.start(listView1, listView2, listView3, host);
  host.onProgress({}, 0);
  host.clearProgress();

  if (options.tsv) {
    outputs.writeOut(tabSeparated(listView3));
  } else if (options.text.empty() && options.xlsx.empty()) {
    outputs.writeOut(clipboardText(listView3, host, kLineEnd));
  }
  for (const std::string& text : texts) {
    outputs.writeFile(text, [&](const std::string& file) {
      SaveListviewProperlySpacedWithoutProgressBar(listView3, file, host);
    });
  }
#ifndef _WIN32
  for (const std::string& workbook : workbooks) {
    outputs.writeFile(workbook,
                      [&](const std::string& file) { writeWorkbook(listView3, file, host); });
  }
#endif
  std::fflush(console.out);

  if (outputs.troubled() || host.errorReports() > 0 || host.messages() > 0) return kTrouble;
  return listView3.rowCount() > 0 ? kRows : kNoRows;
}

std::string usage() {
#ifdef _WIN32
  constexpr std::string_view kXlsxOption;  // no workbook writer in this build
#else
  constexpr std::string_view kXlsxOption =
      "  --xlsx FILE    write the workbook, as \"Save Results As Excel File\" fills it,\n"
      "                 and open nothing\n";
#endif
  std::string text = R"(Usage: plovane [FOLDER1 FOLDER2]
       plovane compare [OPTIONS] FOLDER1 FOLDER2

Without "compare", plovane opens its window; given two folders, it chooses them
and starts comparing them.

plovane compare lists the differences between two folder trees without a
window: the files found under one folder only, then the same-named files whose
last-write times differ, the newer one first; the same rows as the window.
Folders may be relative or absolute, with or without a final separator.

Options:
  --tsv          the rows as three tab-separated cells a line; names are written
                 as they are, even with tabs, newlines or bytes that are not UTF-8
  --text FILE    write the text report, as "Save Results As Text File" does
XLSX_OPTION  --threads N    read the trees with N threads (1 to 16; the default is the
                 number of processors, at least 2); 1 reads them one by one
  -q, --quiet    show no progress line
  -h, --help     show this text and exit
  --version      show the version and exit
FILE may be - for standard output. Several outputs may be given; the comparison
runs once. With none of --tsv, --text and --xlsx, the rows go to standard output
aligned in columns.

Exit status: 0 no differences, 1 differences found, 2 trouble (a bad argument,
a folder that cannot be read, an output that cannot be written, an error
during the run).

Example:
  plovane compare --text nightly.txt /srv/data /mnt/backup/data
)";
  text.replace(text.find("XLSX_OPTION"), 11, kXlsxOption);
  return text;
}

std::string versionLine() {
  return std::string("plovane ") + PLOVANE_VERSION;
}

}  // namespace plovane::cli
