#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "common/date_time.h"
#include "common/shared_text.h"
#include "common/utf.h"

namespace plovane::test {
namespace {

TEST(SharedTextTest, CopiesShareOneBufferThatOutlivesTheOriginal) {
  std::optional<SharedText> original(SharedText(std::string(100, 'p') + "/file.txt"));
  const SharedText copy = *original;
  EXPECT_EQ(copy.view().data(), original->view().data());

  SharedText assigned;
  assigned = copy;
  EXPECT_EQ(assigned.view().data(), copy.view().data());

  original.reset();
  EXPECT_EQ(copy.str(), std::string(100, 'p') + "/file.txt");
  EXPECT_EQ(assigned, copy);
}

TEST(SharedTextTest, AssignmentToItselfKeepsTheText) {
  SharedText text("will overwrite an older");
  const SharedText& alias = text;
  text = alias;
  EXPECT_EQ(text.view(), "will overwrite an older");
}

TEST(SharedTextTest, EmptyTextsAllCompareEqualAndHoldNothing) {
  const SharedText none;
  const SharedText fromEmpty("");
  EXPECT_TRUE(none.empty());
  EXPECT_TRUE(fromEmpty.empty());
  EXPECT_EQ(none, fromEmpty);
  EXPECT_EQ(none.view(), "");
  EXPECT_EQ(none.str(), "");
}

TEST(Utf16LengthTest, CountsUtf16UnitsOfWellFormedText) {
  EXPECT_EQ(utf16Length(""), 0u);
  EXPECT_EQ(utf16Length("plain.txt"), 9u);
  EXPECT_EQ(utf16Length("caf\xc3\xa9"), 4u);                           // é: 2 bytes, 1 unit
  EXPECT_EQ(utf16Length("\xd0\x9f\xd1\x80\xd0\xb8"), 3u);              // Cyrillic
  EXPECT_EQ(utf16Length("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e"), 3u);  // CJK, 3 bytes each
  EXPECT_EQ(utf16Length("\xe2\x82\xac"), 1u);                          // €
  EXPECT_EQ(utf16Length("a\xf0\x9f\x98\x80z"), 4u);                    // emoji: a surrogate pair
}

TEST(Utf16LengthTest, LongTextsMixAsciiRunsWithOtherCharactersAtAnyOffset) {
  // Runs of ASCII longer than a machine word, with the other characters before, inside
  // and after them, and straddling word boundaries.
  const std::string ascii = "/home/user/projects/";  // 20 units
  const std::string euro = "\xe2\x82\xac";
  const std::string emoji = "\xf0\x9f\x98\x80";
  for (std::size_t prefix = 0; prefix < 9; ++prefix) {
    const std::string lead(prefix, 'a');
    EXPECT_EQ(utf16Length(lead + ascii + euro + ascii), prefix + 41) << prefix;
    EXPECT_EQ(utf16Length(lead + emoji + ascii + ascii), prefix + 42) << prefix;
    EXPECT_EQ(utf16Length(lead + ascii + "\xff" + ascii + emoji), prefix + 43) << prefix;
  }
}

TEST(Utf16LengthTest, EachIllFormedByteCountsAsOneUnit) {
  EXPECT_EQ(utf16Length("\xff\xfe"), 2u);
  EXPECT_EQ(utf16Length("a\x80z"), 3u);            // stray continuation byte
  EXPECT_EQ(utf16Length("\xe2\x82"), 2u);          // sequence cut short at the end
  EXPECT_EQ(utf16Length("\xe2\x82z"), 3u);         // cut short: the "z" is not swallowed
  EXPECT_EQ(utf16Length("\xc0\xaf"), 2u);          // overlong "/"
  EXPECT_EQ(utf16Length("\xed\xa0\x80"), 3u);      // encoded surrogate
  EXPECT_EQ(utf16Length("\xf4\x90\x80\x80"), 4u);  // above U+10FFFF
  EXPECT_EQ(utf16Length("\xf0\x9f\x98"), 3u);      // four-byte sequence cut short
}

TEST(DateTimeTest, NoTimeOrdersBeforeEveryTime) {
  const DateTime none = DateTime::none();
  EXPECT_TRUE(none.isNone());
  EXPECT_LT(none, DateTime::fromLocalSeconds(std::numeric_limits<std::int64_t>::min() + 1));
  EXPECT_LT(none, DateTime::fromLocalSeconds(-3'000'000'000));
  EXPECT_FALSE(DateTime::fromLocalSeconds(0).isNone());
  EXPECT_EQ(DateTime::fromLocalSeconds(5), DateTime::fromLocalSeconds(5));
  EXPECT_LT(DateTime::fromLocalSeconds(5), DateTime::fromLocalSeconds(6));
}

}  // namespace
}  // namespace plovane::test
