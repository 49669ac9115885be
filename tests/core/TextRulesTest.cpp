#include <gtest/gtest.h>

#include "core/Errors.h"
#include "core/TextRules.h"

namespace vexilo {
namespace {

TEST(TextRules, LowerAsciiChangesOnlyAToZ) {
  EXPECT_EQ(LowerAscii("HTTP://A.b/\xc3\x89Z"), "http://a.b/\xc3\x89z");
}

TEST(TextRules, TrimRemovesControlsAndBlanks) {
  EXPECT_EQ(Trim(std::string("\t \x01 a b \r\n", 10)), "a b");
  EXPECT_EQ(Trim("   "), "");
}

TEST(TextRules, WholeNumbers) {
  EXPECT_EQ(ParseWholeNumber("0"), 0);
  EXPECT_EQ(ParseWholeNumber("-17"), -17);
  EXPECT_EQ(ParseWholeNumber("+5"), 5);
  EXPECT_EQ(ParseWholeNumber("2147483647"), 2147483647);
  EXPECT_EQ(ParseWholeNumber("-2147483648"), -2147483648LL);
  for (const char* bad :
       {"", "-", "+", "x", "1x", " 1", "1 ", "2147483648", "0x10", "+-1", "1.0"}) {
    EXPECT_EQ(ParseWholeNumber(bad), std::nullopt) << bad;
  }
  EXPECT_THROW(ToWholeNumber("abc"), ConversionError);
}

}  // namespace
}  // namespace vexilo
