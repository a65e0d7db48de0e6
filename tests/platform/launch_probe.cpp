// A program for the launcher's tests to start. It reads its arguments as the program itself
// does (on Windows from the command line, through CommandLineToArgvW) and does what the first
// one says:
//   echo ARG...               writes each ARG followed by a NUL to standard output
//   write FILE ARG...         the same into FILE, which appears whole or not at all
//   exit STATUS               ends with that exit status
//   sleep MILLISECONDS [FILE] waits, then makes FILE
//   hand-over PROGRAM ARG...  runs PROGRAM with ARG... in its place, and ends as it does

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/process.h"
#include "platform/process_launcher.h"
#include "waited_file.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

using Arguments = std::vector<std::string>;

std::string joined(Arguments::const_iterator first, Arguments::const_iterator last) {
  std::string text;
  for (; first != last; ++first) text += *first + '\0';
  return text;
}

void writeWhole(const std::string& file, const std::string& text) {
  const std::filesystem::path path = plovane::test::utf8Path(file);
  std::filesystem::path part = path;
  part += ".part";
  std::ofstream(part, std::ios::binary) << text;
  std::filesystem::rename(part, path);
}

int run(const Arguments& arguments) {
  const std::string& command = arguments.at(1);
  if (command == "echo") {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // the text as it is, no "\r" added
#endif
    const std::string text = joined(arguments.begin() + 2, arguments.end());
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
  }
  if (command == "write") {
    writeWhole(arguments.at(2), joined(arguments.begin() + 3, arguments.end()));
    return 0;
  }
  if (command == "exit") return std::stoi(arguments.at(2));
  if (command == "sleep") {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(arguments.at(2))));
    if (arguments.size() > 3) writeWhole(arguments.at(3), "awake");
    return 0;
  }
  if (command == "hand-over") {
    return plovane::platform::runInstead(arguments.at(2), {arguments.begin() + 2, arguments.end()});
  }
  std::fprintf(stderr, "launch_probe: unknown command %s\n", command.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(plovane::platform::commandLineArguments(argc, argv));
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "launch_probe: %s\n", failure.what());
    return 99;
  }
}
