// The check of a typed date and the system date as text.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "platform/dates.h"

namespace vt::platform {
namespace {

TEST(IsDate, AcceptsDaysThatExistInTheGregorianCalendar) {
  EXPECT_TRUE(isDate("29/02/2000"));  // a multiple of 400 is a leap year
  EXPECT_TRUE(isDate("29/02/2004"));
  EXPECT_TRUE(isDate("31/12/1999"));
  EXPECT_TRUE(isDate("30/04/2001"));
  EXPECT_TRUE(isDate("01/01/0001"));
  EXPECT_TRUE(isDate("31/12/9999"));
}

TEST(IsDate, RefusesDaysThatDoNotExist) {
  EXPECT_FALSE(isDate("31/04/2001"));
  EXPECT_FALSE(isDate("29/02/1900"));  // a century not a multiple of 400
  EXPECT_FALSE(isDate("29/02/2001"));
  EXPECT_FALSE(isDate("32/01/2001"));
  EXPECT_FALSE(isDate("15/13/2001"));
  EXPECT_FALSE(isDate("00/01/2001"));
  EXPECT_FALSE(isDate("01/00/2001"));
  EXPECT_FALSE(isDate("00/00/0000"));
  EXPECT_FALSE(isDate("01/01/0000"));
}

TEST(IsDate, TakesSlashDashOrPointAndShortDayAndMonth) {
  EXPECT_TRUE(isDate("1/2/2000"));
  EXPECT_TRUE(isDate("29-02-2000"));
  EXPECT_TRUE(isDate("31.12.1999"));
  EXPECT_TRUE(isDate("  29/02/2000 "));
  EXPECT_FALSE(isDate("29/02-2000"));  // two different separators
  EXPECT_FALSE(isDate("29 02 2000"));
}

TEST(IsDate, RefusesShortFormsAndOtherText) {
  EXPECT_FALSE(isDate("29/02"));
  EXPECT_FALSE(isDate("29/02/00"));
  EXPECT_FALSE(isDate("29/02/20000"));
  EXPECT_FALSE(isDate("029/02/2000"));
  EXPECT_FALSE(isDate("29022000"));
  EXPECT_FALSE(isDate("29/02/2000X"));
  EXPECT_FALSE(isDate("/02/2000"));
  EXPECT_FALSE(isDate("29//2000"));
  EXPECT_FALSE(isDate(""));
  EXPECT_FALSE(isDate("   "));
  EXPECT_FALSE(isDate("ieri"));
}

TEST(SystemDateText, IsTodayAsDayMonthYearWithSlashes) {
  std::string today = systemDateText();
  ASSERT_EQ(today.size(), 10u);
  EXPECT_EQ(today[2], '/');
  EXPECT_EQ(today[5], '/');
  EXPECT_TRUE(isDate(today));
  std::time_t now = std::time(nullptr);
  const std::tm local = *std::localtime(&now);
  EXPECT_EQ(today.substr(6), std::to_string(local.tm_year + 1900));
}

}  // namespace
}  // namespace vt::platform
