#include "cli/compare_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>

#include "cli/chosen_folder.h"
#include "cli/console_host.h"
#include "cli/terminal_text.h"
#include "common/failure.h"
#include "common/result_list.h"
#include "export/clipboard_text.h"
#include "export/text_report.h"
#include "form/comparison_run.h"
#include "form/folder_chooser.h"
#include "form/form_setup.h"
#include "form/spreadsheet_export.h"
#include "platform/file_system.h"
#include "platform/list_allocator.h"
#include "platform/output_file.h"
#include "platform/process.h"
#include "scan/folder_tree.h"
#include "scan/read_ahead.h"
#ifndef _WIN32
#include "export/posix/xlsx_spreadsheet.h"
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
  unsigned threads = 0;                      // the run's own choice
  std::optional<std::int64_t> modifyWindow;  // the run's automatic rule without one
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
  std::int64_t modifyWindow = 0;
  const CLI::Option* modifyWindowOption =
      app.add_option("--modify-window", modifyWindow)
          ->check(CLI::Validator(
              [](const std::string& text) {
                const bool wholeSeconds = !text.empty() && text.size() <= 12 &&
                                          std::all_of(text.begin(), text.end(),
                                                      [](char c) { return c >= '0' && c <= '9'; });
                return wholeSeconds ? std::string() : "takes whole seconds, 0 or more: " + text;
              },
              "SECONDS"));
  app.add_flag("-h,--help", options.help);
  std::reverse(arguments.begin(), arguments.end());
  try {
    app.parse(arguments);
  } catch (const CLI::ParseError& error) {
    // A help request needs no folders.
    if (!options.help) throw;
  }
  if (modifyWindowOption->count() > 0) options.modifyWindow = modifyWindow;
  return options;
}

// The host of one output's writing: what the writer yields and asks goes to the console's
// host, and the first failure it reports is kept, so that the command tells it once, in its
// own words, instead of one error report per failing step.
class OutputHost final : public Host {
 public:
  explicit OutputHost(ConsoleHost& console) : console_(console) {}

  void yield() override { console_.yield(); }
  // Told after the writing, when standard error may be quiet meanwhile.
  void showMessage(const std::string& text) override { messages_.push_back(text); }
  void showErrorReport(const std::string& text) override {
    // The trap shows its report while the failure is being handled: the failure itself,
    // with the system's own words for it, can be had here.
    const std::exception_ptr current = std::current_exception();
    fail(current ? reasonOf(current) : text.substr(0, text.find("\r\n")));
  }
  bool isBusy() const override { return console_.isBusy(); }
  void setBusy(bool busy) override { console_.setBusy(busy); }
  SettingsStore& settings() override { return console_.settings(); }

  // The first failure is the one told.
  void fail(const std::string& reason) {
    if (!reason_) reason_ = reason;
  }

  bool failed() const { return reason_.has_value(); }
  const std::string& reason() const { return *reason_; }

  // Runs the writer with this host; whatever it told meanwhile goes to the console after.
  template <class Writer>
  void run(Writer&& writer) {
    try {
      writer(*this);
    } catch (...) {
      fail(reasonOf(std::current_exception()));
    }
    for (const std::string& message : messages_) console_.showMessage(message);
    messages_.clear();
  }

 private:
  ConsoleHost& console_;
  std::optional<std::string> reason_;
  std::vector<std::string> messages_;
};

struct NamedOutput {
  std::string_view option;  // "--text" or "--xlsx"
  std::string file;
};

class Outputs {
 public:
  Outputs(const Console& console, ConsoleHost& host) : console_(console), host_(host) {}

  bool troubled() const { return troubled_; }

  void trouble(const std::string& text) {
    troubled_ = true;
    host_.printLine(text);
  }

  // Writes bytes to standard output. A reader that went away early ends the program
  // quietly, as it would on a pipe's signal; after any other failure nothing more is
  // written there, and the failure is told once.
  void writeOut(std::string_view bytes) {
    if (outFailed_) return;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), console_.out) != bytes.size() ||
        std::fflush(console_.out) != 0) {
      failOut(errno);
    }
  }

  // Writes one named output with a writer that reports through a host; a failure is told as
  // one line naming the file and the system's reason.
  template <class Writer>
  void write(const std::string& file, Writer&& writer) {
    if (file == kStandardOutput && outFailed_) return;
    OutputHost host(host_);
    host.run(writer);
    if (!host.failed()) return;
    if (file == kStandardOutput) {
      outFailed_ = true;
      trouble("cannot write to standard output: " + host.reason());
    } else {
      trouble("cannot write " + file + ": " + host.reason());
    }
  }

  // A workbook for standard output is written to a temporary file first (its format wants
  // a file it can go back in), then copied. A signal on the way leaves no file behind.
  template <class Writer>
  void writeThroughTemporaryFile(Writer&& writer) {
    if (outFailed_) return;
    std::optional<platform::ReplacingFile> temporary;
    try {
      temporary.emplace(platform::temporaryFolder() + platform::kSeparator + "plovane-output");
    } catch (const Failure& failure) {
      trouble("cannot make a temporary file for standard output: " + reasonOf(failure));
      return;
    }
    const std::string& path = temporary->temporaryPath();
    OutputHost host(host_);
    host.run([&](Host& writing) { writer(path, writing); });
    if (host.failed()) {
      trouble("cannot write the workbook for standard output: " + host.reason());
      return;
    }
    copyToOut(path);
  }

 private:
  [[noreturn]] static void endQuietly() {
    platform::removeUnfinishedFiles();
    std::_Exit(kTrouble);
  }

  void failOut(int error) {
    if (error == EPIPE) endQuietly();
    outFailed_ = true;
    trouble(std::string("cannot write to standard output: ") +
            std::strerror(error != 0 ? error : EIO));
  }

  void copyToOut(const std::string& path) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
      trouble(std::string("cannot read the workbook back: ") + std::strerror(errno));
      return;
    }
    char buffer[1 << 16];
    for (std::size_t count;
         !outFailed_ && (count = std::fread(buffer, 1, sizeof buffer, in)) > 0;) {
      writeOut(std::string_view(buffer, count));
    }
    std::fclose(in);
  }

  const Console& console_;
  ConsoleHost& host_;
  bool troubled_ = false;
  bool outFailed_ = false;
};

// Each named output file is checked before the trees are read: its folder takes a new file,
// and no two outputs name the same file (the second would silently replace the first).
std::optional<std::string> outputProblem(const std::vector<NamedOutput>& outputs) {
  for (const NamedOutput& output : outputs) {
    if (output.file == kStandardOutput) continue;
    try {
      platform::checkCanReplace(output.file);
    } catch (const Failure& failure) {
      return "cannot write " + std::string(output.option) + " " + output.file + ": " +
             reasonOf(failure);
    }
  }
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    for (std::size_t j = i + 1; j < outputs.size(); ++j) {
      const NamedOutput& a = outputs[i];
      const NamedOutput& b = outputs[j];
      if (a.file == kStandardOutput || b.file == kStandardOutput) continue;
      if (!platform::isSameFile(a.file, b.file)) continue;
      return std::string(a.option) + " " + a.file + " and " + std::string(b.option) + " " + b.file +
             " name the same file";
    }
  }
  return std::nullopt;
}

// As large as the lists it comes from, so held in a list block once it is large.
using ListText = std::basic_string<char, std::char_traits<char>, platform::ListAllocator<char>>;

ListText tabSeparated(const ResultList& list) {
  // Sized first: a text of millions of rows is then written once, never copied as it grows.
  std::size_t size = 0;
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    for (std::size_t column = 0; column < ResultList::kMaxCells; ++column) {
      size += list.cell(row, column).size() + 1;
    }
  }
  ListText text;
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
void writeWorkbook(const ResultList& list, const std::string& file, Host& host) {
  // The workbook library prints raw lines of its own on a failure, which the command tells
  // in one line instead.
  const platform::QuietStandardError quiet;
  XlsxFileSpreadsheets spreadsheets(file);
  if (list.rowCount() > 0) {
    saveResultsAsExcelFile(list, host, spreadsheets);
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
    const std::string what = console.errIsTerminal ? visibleControls(error.what()) : error.what();
    std::fprintf(console.err, "plovane compare: %s\n\n%s", what.c_str(), usage().c_str());
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

  ConsoleHost host(console.err, console.errIsTerminal);
  Outputs outputs(console, host);
  const platform::FileSystem& fs = platform::nativeFileSystem();
  std::vector<ChosenFolder> chosen;
  for (const std::string& argument : {options.folder1, options.folder2}) {
    const std::string folder = folderOfArgument(argument);
    if (const auto problem = folderProblem(fs, argument, folder)) {
      host.printLine(*problem);
      return kTrouble;
    }
    chosen.push_back(watchFolder(fs, argument, folder));
  }
  std::vector<NamedOutput> named;
  for (const std::string& file : options.text) named.push_back({"--text", file});
  for (const std::string& file : options.xlsx) named.push_back({"--xlsx", file});
  if (const auto problem = outputProblem(named)) {
    host.printLine(*problem);
    return kTrouble;
  }

  ResultList listView1, listView2, listView3;
  addResultColumns(listView3);
  PresetFolderBrowser chosen1(chosen[0].folder), chosen2(chosen[1].folder);
  chooseFolder1(listView1, host, chosen1);
  chooseFolder2(listView2, host, chosen2);
  ComparisonRun run(fs, options.threads);
  run.setModifyWindow(options.modifyWindow);
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
  // Rows made from a folder that went away read as differences; they are still written,
  // but the run is trouble.
  for (const ChosenFolder& folder : chosen) {
    if (const auto problem = changedDuringRun(fs, folder)) outputs.trouble(*problem);
  }

  if (options.tsv) {
    outputs.writeOut(tabSeparated(listView3));
  } else if (options.text.empty() && options.xlsx.empty()) {
    // Names are anyone's to choose: on a terminal, none of their characters may drive it.
    outputs.writeOut(console.outIsTerminal ? alignedForTerminal(listView3, host, kLineEnd)
                                           : clipboardText(listView3, host, kLineEnd));
  }
  for (const std::string& file : options.text) {
    outputs.write(file, [&](Host& writing) {
      if (file == kStandardOutput) {
        writeTextReport(listView3, console.out, writing);
      } else {
        SaveListviewProperlySpacedWithoutProgressBar(listView3, file, writing);
      }
    });
  }
#ifndef _WIN32
  for (const std::string& file : options.xlsx) {
    if (file == kStandardOutput) {
      outputs.writeThroughTemporaryFile(
          [&](const std::string& path, Host& writing) { writeWorkbook(listView3, path, writing); });
    } else {
      outputs.write(file, [&](Host& writing) { writeWorkbook(listView3, file, writing); });
    }
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
  static_assert(
      kMaxReaderThreads == 64 && kMaxLocalReaderThreads == 16 && kRemoteReaderThreads == 32,
      "the text of --threads below names these counts");
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
XLSX_OPTION  --modify-window SECONDS
                 last-write times at most SECONDS apart count as equal; 0 is
                 the exact rule. Without it, times are compared to the second,
                 or within 2 seconds where a folder lies on a FAT file system
                 or its times show the 2-second steps of an archive
  --threads N    read each tree with N threads (1 to 64); 1 reads them one by
                 one. The default is the number of processors, at least 2 and
                 at most 16, or 32 for a tree on a network share or a FUSE file
                 system
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
