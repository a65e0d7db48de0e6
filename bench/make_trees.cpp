// plovane-trees: writes synthetic trees in which every file gives a row, for measurements
// that run the programs themselves, such as the Windows window's figures under Wine
// (bench/win32_window_figures.sh). Prints the rows their comparison gives.

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>

#include "bench_support.h"
#include "synthetic_trees.h"

int main(int argc, char** argv) {
  using namespace plovane::bench;
  std::uint32_t rows = 200'000;
  std::string folder;
  CLI::App app(
      "Writes FOLDER/left/ and FOLDER/right/: per 100 files of a side, 25 found on that side\n"
      "only and 75 same-named pairs an hour apart. Prints \"rows: N\", the rows their\n"
      "comparison gives.\n",
      "plovane-trees");
  addCount(app, "--rows", rows, 50'000'000u, "rows wanted (rounded to whole files)");
  app.add_option("FOLDER", folder, "where the trees go; it may exist")->required();
  parseCommandLine(app, argc, argv);
  const Trees trees = changedTrees(rows);
  makeFolder(folder);
  generateTrees(trees, folder + "/left/", folder + "/right/");
  std::printf("rows: %" PRIu64 "\nfiles_per_side: %zu\n", changedTreesRows(trees),
              trees.left.size());
  return 0;
}
