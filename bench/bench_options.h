#pragma once

#include <CLI/CLI.hpp>
#include <string>

// The benches' command lines, parsed with CLI11.

namespace plovane::bench {

// Parses the options added to app, and names the program after it. --help prints the help and exits
// with status 0; a usage error says what is wrong and exits with status 2.
void parseCommandLine(CLI::App& app, int argc, char** argv);

// A count, 1 to limit, its default shown in the help.
template <typename Number>
CLI::Option* addCount(CLI::App& app, const std::string& name, Number& into, Number limit,
                      const std::string& description) {
  return app.add_option(name, into, description)
      ->check(CLI::Range(Number(1), limit))
      ->capture_default_str();
}

}  // namespace plovane::bench
