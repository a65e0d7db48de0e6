// A file list gives back every name as it was appended, however many blocks the names fill
// and wherever a block ends.

#include "scan/file_list.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace plovane::test {
namespace {

TEST(FileListTest, NamesReadBackAcrossManyBlocks) {
  // Lengths that vary, so that names meet the ends of blocks at ever different points, and one
  // name that takes most of a block.
  std::vector<std::string> names;
  for (std::size_t i = 0; i < 300'000; ++i) {
    names.push_back(std::string(i % 41 + 1, char('a' + i % 26)) + std::to_string(i));
    if (i == 1000) names.push_back(std::string(std::size_t{3} << 19, 'L'));
  }
  FileList list;
  for (const std::string& name : names) list.append(SharedText("/top/"), name);

  ASSERT_EQ(list.size(), names.size());
  std::size_t mismatches = 0;
  for (std::size_t i = 0; i < names.size(); ++i) mismatches += list.fileName(i) != names[i];
  EXPECT_EQ(mismatches, 0u);
  EXPECT_EQ(list.path(names.size() - 1), "/top/" + names.back());
  EXPECT_THROW(list.append({}, std::string((std::size_t{2} << 20) + 1, 'x')), std::length_error);
}

}  // namespace
}  // namespace plovane::test
