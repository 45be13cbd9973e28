// The suite's text and number conversions.
#include <gtest/gtest.h>

#include "core/failure.h"
#include "util/text.h"

namespace vt {
namespace {

TEST(Val, ReadsTheLeadingNumber_SkippingBlanks) {
  EXPECT_EQ(VAL("  42"), 42);
  EXPECT_EQ(VAL("5 9 "), 59);
  EXPECT_EQ(VAL("-000123.45"), -123.45);
  EXPECT_EQ(VAL("+7"), 7);
  EXPECT_EQ(VAL("007 ROSSI"), 7);
  EXPECT_EQ(VAL("1.5.3"), 1.5);
  EXPECT_EQ(VAL("12-3"), 12);
  EXPECT_EQ(VAL("3,5"), 3);
  EXPECT_EQ(VAL("1E3"), 1000);
  EXPECT_EQ(VAL("2.5d-1"), 0.25);
  EXPECT_EQ(VAL("1E"), 1);
  EXPECT_EQ(VAL(".5"), 0.5);
}

TEST(Val, TextWithoutANumber_IsZero) {
  EXPECT_EQ(VAL(""), 0);
  EXPECT_EQ(VAL("    "), 0);
  EXPECT_EQ(VAL("ABC"), 0);
  EXPECT_EQ(VAL("-"), 0);
  EXPECT_EQ(VAL("."), 0);
  EXPECT_EQ(VAL("E5"), 0);
}

TEST(Str, ReservesALeadingBlankForTheSign) {
  EXPECT_EQ(STR(5), " 5");
  EXPECT_EQ(STR(-5), "-5");
  EXPECT_EQ(STR(0), " 0");
  EXPECT_EQ(STR(0.5), " .5");
  EXPECT_EQ(STR(-123.45), "-123.45");
  EXPECT_EQ(STR(1000), " 1000");
  EXPECT_EQ(STR(0.0001), " .0001");
  EXPECT_EQ(STR(999999999999999.0), " 999999999999999");
}

TEST(Str, UsesExponentFormForVeryLargeAndVerySmallNumbers) {
  EXPECT_EQ(STR(1e15), " 1E+15");
  EXPECT_EQ(STR(1.5e20), " 1.5E+20");
  EXPECT_EQ(STR(0.00001), " 1E-05");
  EXPECT_EQ(STR(-2.5e-7), "-2.5E-07");
}

TEST(Str, DecimalTextDropsOnlyTheSignBlank) {
  EXPECT_EQ(decimalText(7), "7");
  EXPECT_EQ(decimalText(-7), "-7");
  EXPECT_EQ(decimalText(2005), "2005");
}

TEST(ToInt16, RoundsHalvesToEvenAndRefusesOverflow) {
  EXPECT_EQ(toInt16(2.5), 2);
  EXPECT_EQ(toInt16(3.5), 4);
  EXPECT_EQ(toInt16(-32768), -32768);
  EXPECT_EQ(toInt16(32767.4), 32767);
  try {
    toInt16(32768);
    FAIL();
  } catch (const RuntimeFailure& f) {
    EXPECT_EQ(f.code(), err::kOverflow);
  }
}

TEST(Substrings, FollowTheSuiteRulesAtTheEdges) {
  EXPECT_EQ(MID("ABCDEF", 3, 2), "CD");
  EXPECT_EQ(MID("ABCDEF", 5, 10), "EF");
  EXPECT_EQ(MID("ABCDEF", 7, 1), "");
  EXPECT_EQ(MID("ABCDEF", 0, 1), "");
  EXPECT_EQ(LEFT("ABC", 5), "ABC");
  EXPECT_EQ(RIGHT("ABC", 2), "BC");
  EXPECT_EQ(RIGHT("ABC", 9), "ABC");
  EXPECT_EQ(TRIM("  A B  "), "A B");
  EXPECT_EQ(LTRIM("   "), "");
  EXPECT_EQ(zeroPad("7", 3), "007");
  EXPECT_EQ(zeroPad("1234", 3), "234");
  EXPECT_EQ(fitRight("ABC", 5), "ABC  ");
  EXPECT_EQ(fitRight("ABCDEF", 4), "ABCD");
}

TEST(Substrings, OverwriteKeepsTheLength) {
  std::string s = "0000000000";
  overwrite(s, 8, "1234");
  EXPECT_EQ(s, "0000000123");
  overwrite(s, 1, "9");
  EXPECT_EQ(s, "9000000123");
  overwrite(s, 11, "X");
  EXPECT_EQ(s, "9000000123");
}

TEST(Ucase, UpperCasesWindows1252Letters) {
  EXPECT_EQ(UCASE("stampa \xE0\xE8\x9C"), "STAMPA \xC0\xC8\x8C");
  EXPECT_EQ(UCASE("\xF7\xDF"), "\xF7\xDF");
}

}  // namespace
}  // namespace vt
