#include "synthetic_trees.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <functional>
#include <numeric>

#include "bench_support.h"

namespace plovane::bench {
namespace {

constexpr std::int64_t kBaseSeconds = 1'600'000'000;  // September 2020

// Trees of that many leaves a side, with the smallest fan-out whose three levels hold them.
Trees emptyTrees(std::uint32_t folders) {
  Trees trees;
  trees.folders = folders;
  while (std::uint64_t(trees.fanout) * trees.fanout * trees.fanout < folders) ++trees.fanout;
  return trees;
}

// Same-named files of the two sides usually live in different sub-folders: the right side's
// folders are a permutation of the left side's, as after a reorganisation.
std::function<std::uint32_t(std::uint32_t)> folderPermutation(std::uint32_t folders) {
  std::uint32_t step = folders / 2 + folders / 8 + 1;
  while (std::gcd(step, folders) != 1) ++step;
  return [=](std::uint32_t folder) {
    return static_cast<std::uint32_t>((std::uint64_t(folder) * step + 1) % folders);
  };
}

// Everything is relative to an open folder descriptor, and the time is set on the open file
// (futimens, the descriptor form of utimensat), so each file costs one path lookup. Creating
// files is the slow part of a run on most file systems.
void generateSide(const Trees& trees, const std::vector<PlannedFile>& files,
                  const std::string& root) {
  makeFolder(root);
  std::vector<std::vector<std::uint32_t>> byFolder(trees.folders);
  for (std::uint32_t i = 0; i < files.size(); ++i) byFolder[files[i].folder].push_back(i);
  std::string name;
  for (std::uint32_t folder = 0; folder < trees.folders; ++folder) {
    makeFolder(root + folderPath(trees, folder, 1));
    makeFolder(root + folderPath(trees, folder, 2));
    const std::string leaf = root + folderPath(trees, folder);
    makeFolder(leaf);
    const int folderFd = open(leaf.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) die("cannot open " + leaf);
    for (const std::uint32_t index : byFolder[folder]) {
      const PlannedFile& file = files[index];
      name.clear();
      appendName(name, file);
      const int fd = openat(folderFd, name.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
      if (fd < 0) die("cannot create " + leaf + name);
      const timespec times[2] = {{file.seconds, long(file.nanos)},
                                 {file.seconds, long(file.nanos)}};
      if (futimens(fd, times) != 0) die("cannot set the time of " + leaf + name);
      close(fd);
    }
    close(folderFd);
  }
}

}  // namespace

std::string folderPath(const Trees& trees, std::uint32_t folder, int levels) {
  const std::uint32_t b = trees.fanout;
  const std::uint32_t digits[3] = {folder / (b * b), folder / b % b, folder % b};
  std::string path;
  for (int level = 0; level < levels; ++level) path += 'd' + std::to_string(digits[level]) + '/';
  return path;
}

void appendName(std::string& out, const PlannedFile& file) {
  char buffer[32];
  const int length =
      std::snprintf(buffer, sizeof buffer, "%c%08" PRIu32 ".txt", file.kind, file.nameId);
  out.append(buffer, static_cast<std::size_t>(length));
}

Trees plannedTrees(std::uint32_t filesPerSide) {
  Trees trees = emptyTrees(
      std::max<std::uint32_t>(1, (filesPerSide + kFilesPerFolder - 1) / kFilesPerFolder));
  const auto permute = folderPermutation(trees.folders);
  const std::uint32_t repeatedNames = std::max<std::uint32_t>(1, trees.folders / 4);
  trees.left.reserve(filesPerSide);
  trees.right.reserve(filesPerSide);
  for (std::uint32_t i = 0; i < filesPerSide; ++i) {
    const std::uint32_t folder = i / kFilesPerFolder;
    const std::uint32_t slot = i % kFilesPerFolder;
    PlannedFile left{folder, i, kBaseSeconds + i, 0, 'f'};
    PlannedFile right{permute(folder), i, kBaseSeconds + i, 0, 'f'};
    if (slot < 5) {
      left.kind = 'a';
      right.kind = 'b';
    } else if (slot == 5) {
      // One such file per folder; name k recurs in folders k, k + repeatedNames, ... and the
      // occurrence number sets the time, so equal occurrence numbers give equal times.
      const std::uint32_t occurrence = folder / repeatedNames;
      left.kind = right.kind = 'r';
      left.nameId = right.nameId = folder % repeatedNames;
      left.seconds = right.seconds = kBaseSeconds + 7 * std::int64_t(occurrence);
    } else if (slot < 16) {
      right.seconds += (i % 2 == 0) ? 3600 : -3600;
    } else {
      left.nanos = 100'000'000;
      right.nanos = (i % 2 == 0) ? 400'000'000 : 100'000'000;
    }
    trees.left.push_back(left);
    trees.right.push_back(right);
  }
  return trees;
}

Trees repeatedNamesTrees() {
  constexpr std::uint32_t kNames = 5;
  constexpr std::uint32_t kOccurrences = 632;
  Trees trees = emptyTrees(kOccurrences);
  const auto permute = folderPermutation(trees.folders);
  for (std::uint32_t folder = 0; folder < kOccurrences; ++folder) {
    for (std::uint32_t slot = 0; slot < kFilesPerFolder; ++slot) {
      const std::uint32_t i = folder * kFilesPerFolder + slot;
      PlannedFile left{folder, i, kBaseSeconds + i, 0, 'f'};
      PlannedFile right{permute(folder), i, kBaseSeconds + i, 0, 'f'};
      if (slot < kNames) {
        left.kind = right.kind = 'r';
        left.nameId = right.nameId = slot;
        left.seconds = kBaseSeconds + 2 * std::int64_t(folder) + 1;  // odd: never equal
        right.seconds = kBaseSeconds + 2 * std::int64_t(folder);     // to an even one
      }
      trees.left.push_back(left);
      trees.right.push_back(right);
    }
  }
  return trees;
}

Trees changedTrees(std::uint32_t rows) {
  constexpr std::uint32_t kOneSided = 25;  // of each folder's 100 files
  // 125 rows per folder: 25 on each side alone, 75 pairs.
  const std::uint32_t filesPerSide = std::max<std::uint32_t>(1, rows / 5 * 4);
  Trees trees = emptyTrees((filesPerSide + kFilesPerFolder - 1) / kFilesPerFolder);
  const auto permute = folderPermutation(trees.folders);
  for (std::uint32_t i = 0; i < filesPerSide; ++i) {
    const std::uint32_t folder = i / kFilesPerFolder;
    PlannedFile left{folder, i, kBaseSeconds + i, 0, 'f'};
    PlannedFile right{permute(folder), i, kBaseSeconds + i + 3600, 0, 'f'};
    if (i % kFilesPerFolder < kOneSided) {
      left.kind = 'a';
      right.kind = 'b';
    }
    trees.left.push_back(left);
    trees.right.push_back(right);
  }
  return trees;
}

std::uint64_t changedTreesRows(const Trees& trees) {
  std::uint64_t rows = 0;
  for (const PlannedFile& file : trees.left) rows += file.kind == 'a' ? 2 : 1;
  return rows;
}

void generateTrees(const Trees& trees, const std::string& root1, const std::string& root2) {
  generateSide(trees, trees.left, root1);
  generateSide(trees, trees.right, root2);
}

}  // namespace plovane::bench
