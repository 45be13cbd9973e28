// Dates from the system clock and the check of a typed date.
#include "platform/dates.h"

#include <cstddef>
#include <cstdio>
#include <ctime>

namespace vt::platform {
namespace {

constexpr std::string_view kSeparators = "/-.";
constexpr std::size_t kMaxDayMonthDigits = 2;
constexpr std::size_t kYearDigits = 4;
constexpr int kMonthsInYear = 12;
constexpr int kFebruary = 2;
// struct tm counts years from 1900 and months from 0.
constexpr int kTmYearBase = 1900;
constexpr int kTmMonthBase = 1;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int month, int year) {
  static constexpr int kDays[kMonthsInYear] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == kFebruary && isLeapYear(year)) return kDays[kFebruary - 1] + 1;
  return kDays[month - 1];
}

// Reads a run of at least `least` and at most `most` digits from `pos`;
// gives -1 when there is no such run.
int readNumber(std::string_view text, std::size_t& pos, std::size_t least, std::size_t most) {
  int value = 0;
  std::size_t count = 0;
  while (pos < text.size() && isDigit(text[pos]) && count < most) {
    value = value * 10 + (text[pos] - '0');
    ++pos;
    ++count;
  }
  if (count < least) return -1;
  if (pos < text.size() && isDigit(text[pos])) return -1;  // more digits than allowed
  return value;
}

std::string_view trimBlanks(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace

bool isDate(std::string_view text) {
  std::string_view date = trimBlanks(text);
  std::size_t pos = 0;
  int day = readNumber(date, pos, 1, kMaxDayMonthDigits);
  if (day < 0 || pos >= date.size() || kSeparators.find(date[pos]) == std::string_view::npos) return false;
  char separator = date[pos++];
  int month = readNumber(date, pos, 1, kMaxDayMonthDigits);
  if (month < 0 || pos >= date.size() || date[pos] != separator) return false;
  ++pos;
  int year = readNumber(date, pos, kYearDigits, kYearDigits);
  if (year < 1 || pos != date.size()) return false;
  if (month < 1 || month > kMonthsInYear) return false;
  return day >= 1 && day <= daysInMonth(month, year);
}

std::string systemDateText() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char text[48];  // room for any int the fields may hold
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", local.tm_mday, local.tm_mon + kTmMonthBase, local.tm_year + kTmYearBase);
  return text;
}

}  // namespace vt::platform
