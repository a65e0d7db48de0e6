#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The synthetic trees the benches compare. A file is a folder number, a name (a kind letter
// and a number) and a last-write time; paths are derived, so a million files cost 24 bytes
// each, and plovane-bench can predict every result row from the plan alone.

namespace plovane::bench {

constexpr std::uint32_t kFilesPerFolder = 100;

struct PlannedFile {
  std::uint32_t folder;
  std::uint32_t nameId;
  std::int64_t seconds;
  std::uint32_t nanos;
  char kind;  // 'a' left only, 'b' right only, 'f' common, 'r' repeated across folders
};

struct Trees {
  std::uint32_t folders = 0;  // leaf folders per side; they hold all the files
  std::uint32_t fanout = 1;   // leaves sit three levels deep: dA/dB/dC/
  std::vector<PlannedFile> left;
  std::vector<PlannedFile> right;
};

// The path of a leaf below the root, its three levels given by the digits of the folder
// number in base fanout; levels = 1 gives the top folder only, 2 the middle one.
std::string folderPath(const Trees& trees, std::uint32_t folder, int levels = 3);

void appendName(std::string& out, const PlannedFile& file);

// The ordinary mix. Per 100 files of a side: 5 names found on this side only, 1 name that
// recurs in several folders of both sides, 10 same-named pairs with different times, and 84
// same-named pairs with equal times. Some equal pairs differ below the second, which must
// give no row.
Trees plannedTrees(std::uint32_t filesPerSide);

// A few names in hundreds of folders of each side, every time distinct, so that each name
// gives occurrences x occurrences rows: 5 x 632 x 632 = 1,997,120. The other 95 files of each
// folder are same-named pairs with equal times.
Trees repeatedNamesTrees();

// Trees in which every file gives a row, for a result list of about rows rows: per 100 files
// of a side, 25 names found on this side only and 75 same-named pairs with different times.
Trees changedTrees(std::uint32_t rows);

// The rows the comparison of such trees gives: one per file found on one side only, one per
// same-named pair with different times.
std::uint64_t changedTreesRows(const Trees& trees);

// Writes both sides below their roots, which end in a slash.
void generateTrees(const Trees& trees, const std::string& root1, const std::string& root2);

}  // namespace plovane::bench
