#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The synthetic trees both benchmarks compare. A file is a folder number, a name (a kind
// letter and a number) and a last-write time; paths are derived, so a million files cost
// 24 bytes each, and plovane-bench can predict every result row from the plan alone.

namespace plovane::bench {

constexpr std::uint32_t kFilesPerFolder = 100;
constexpr std::int64_t kBaseSeconds = 1'600'000'000;  // September 2020

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

// The smallest fan-out whose three levels hold that many leaves.
std::uint32_t fanoutFor(std::uint32_t folders);

// Same-named files of the two sides usually live in different sub-folders: the right side's
// folders are a permutation of the left side's, as after a reorganisation.
std::function<std::uint32_t(std::uint32_t)> folderPermutation(std::uint32_t folders);

// The path of a leaf below the root, its three levels given by the digits of the folder
// number in base fanout; levels = 1 gives the top folder only, 2 the middle one.
std::string folderPath(const Trees& trees, std::uint32_t folder, int levels = 3);

void appendName(std::string& out, const PlannedFile& file);

// The ordinary mix. Per 100 files of a side: 5 names found on this side only, 1 name that
// recurs in several folders of both sides, 10 same-named pairs with different times, and 84
// same-named pairs with equal times. Some equal pairs differ below the second, which must
// give no row.
Trees plannedTrees(std::uint32_t filesPerSide);

// Writes one side below root, which ends in a slash.
void generateSide(const Trees& trees, const std::vector<PlannedFile>& files,
                  const std::string& root);

}  // namespace plovane::bench
