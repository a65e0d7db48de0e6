#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace plovane::cli {

// Exit statuses, as diff -r has them.
inline constexpr int kNoRows = 0;
inline constexpr int kRows = 1;
inline constexpr int kTrouble = 2;

struct Console {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  bool outIsTerminal = false;
  bool errIsTerminal = false;
};

// "plovane compare": the comparison run of the window without a window. arguments are the
// ones after "compare". Answers the exit status.
int runCompare(const std::vector<std::string>& arguments, const Console& console);

// The usage of the whole command, with an example.
std::string usage();

// "plovane 0.1.0".
std::string versionLine();

}  // namespace plovane::cli
