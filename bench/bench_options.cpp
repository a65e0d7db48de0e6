#include "bench_options.h"

#include <cstdlib>

#include "bench_support.h"

namespace plovane::bench {

void parseCommandLine(CLI::App& app, int argc, char** argv) {
  setProgramName(app.get_name());
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    std::exit(status == 0 ? 0 : 2);
  }
}

}  // namespace plovane::bench
