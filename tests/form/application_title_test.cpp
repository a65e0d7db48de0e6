#include <gtest/gtest.h>

#include "form/form_setup.h"

namespace plovane::test {
namespace {

TEST(ApplicationTitleTest, DropsTheLastWordAtLeastOnceThenUntilShortEnough) {
  EXPECT_EQ(applicationTitleOf("Plovane"), "Plovane");  // no blank: the whole name
  EXPECT_EQ(applicationTitleOf("Folder Compare Tool"), "Folder Compare");
  // 45 characters: one word off leaves 39.
  EXPECT_EQ(applicationTitleOf("Aaaaaaaaa Bbbbbbbbb Ccccccccc Ddddddddd Eeeee"),
            "Aaaaaaaaa Bbbbbbbbb Ccccccccc Ddddddddd");
  // Still longer than 40 after the first cut: further words go.
  EXPECT_EQ(applicationTitleOf("Aaaaaaaaaaaaaaaaaaaa Bbbbbbbbbbbbbbbbbbbbbbbbb C"),
            "Aaaaaaaaaaaaaaaaaaaa");
}

}  // namespace
}  // namespace plovane::test
