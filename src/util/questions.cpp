#include "util/questions.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string_view>

#include "core/dialogs.h"
#include "core/state.h"
#include "platform/dates.h"
#include "util/text.h"

namespace vt {
namespace {

// --- Texts and sizes of the boxes ---------------------------------------------

constexpr const char* kYesNoTitle = "Tessaro";
constexpr const char* kAnswerTitle = "Domanda e risposta";
constexpr const char* kInvalidDateFormat = "Inserire data valida nel formato gg/mm/aaaa";
constexpr const char* kRefusedDateHead = "LA DATA ";
constexpr const char* kRefusedDateTail = " NON E' CORRETTA ";
constexpr char kLineBreakMark = '*';
// DOMANDASN breaks its text at no more than this many "*".
constexpr std::size_t kMaxYesNoLineBreaks = 10;

// The date placeholder of a prompt and how it is shown.
constexpr std::string_view kBareDatePlaceholder = "GGMMAAAA";
constexpr std::string_view kDatePlaceholder = "GG/MM/AAAA";

// --- Answer types ---------------------------------------------------------------

constexpr char kTextType = 'A';
constexpr char kWholeNumberType = 'N';
constexpr char kDateType = 'D';
// The full type of a month-and-year date.
constexpr std::string_view kMonthYearType = "D1";

// --- Dates ------------------------------------------------------------------------

// A date as digits: day 2, month 2, year 4 ("ggmmaaaa").
constexpr std::size_t kDateDigits = 8;
constexpr std::size_t kDayMonthDigits = 2;
constexpr std::size_t kYearDigits = 4;
constexpr std::size_t kDayPos = 1;
constexpr std::size_t kMonthPos = 3;
constexpr std::size_t kYearPos = 5;

// Date answer lengths: "gg/mm/aaaa", "mm/aaaa", "gg/mm".
constexpr std::int16_t kFullDateLength = 10;
constexpr std::int16_t kMonthYearLength = 7;
constexpr std::int16_t kDayMonthLength = 5;
// Lengths asked of DOMANDA that make a default of "mm/aaaa" (6 digits) or of
// "gg/mm/aaaa" (8 digits, or 10 when given as the shown length).
constexpr std::int16_t kMonthYearDigitsLength = 6;
constexpr std::int16_t kFullDateDigitsLength = 8;
// From this answer length on, a date answer must pass the platform's check.
constexpr std::int16_t kCheckedDateLength = 9;

// Positions of the parts inside a typed date: "gg/mm/aaaa" and "mm/aaaa".
constexpr std::size_t kTypedMonthPos = 4;
constexpr std::size_t kTypedYearPos = 7;
constexpr std::size_t kTypedMonthYearTailPos = 6;  // last two digits of "mm/aaaa"
// The first day of a month, put in front of a month and year to test it.
constexpr const char* kFirstDay = "01";

constexpr double kMonthsInYear = 12;
constexpr double kLongestMonth = 31;
constexpr double kShortMonth = 30;
constexpr double kFebruaryDays = 28;
constexpr double kFebruary = 2;
// April, June, September and November.
constexpr double kThirtyDayMonths[] = {4, 6, 9, 11};

// --- Numbers -------------------------------------------------------------------

// INTERO moves a number this far away from zero before cutting its fraction.
constexpr double kWholeNudge = 0.1;
// FORMATONUMERO writes this many decimals when asked for none.
constexpr std::int16_t kDefaultDecimals = 2;

// --- Helpers --------------------------------------------------------------------

std::size_t width(std::int16_t length) { return length > 0 ? static_cast<std::size_t>(length) : 0; }

std::string zeros(std::size_t count) { return std::string(count, '0'); }

char firstOf(std::string_view text) { return text.empty() ? '\0' : text.front(); }

// `text` cut at each "*" (at most `limit` of them, from the start) and the
// pieces joined by CR LF; the text after the last cut stays as it is.
std::string breakLines(std::string_view text, std::size_t limit) {
  std::string result;
  std::size_t from = 0;
  for (std::size_t cuts = 0; cuts < limit; ++cuts) {
    std::size_t mark = text.find(kLineBreakMark, from);
    if (mark == std::string_view::npos) break;
    result.append(text.substr(from, mark - from)).append(kLineEnd);
    from = mark + 1;
  }
  result.append(text.substr(from));
  return result;
}

// A number as decimal text without blanks, written out in full where the
// number-to-text conversion would give an exponent form ("1E+20" becomes
// "100000000000000000000", "1.05E-05" becomes ".0000105").
std::string plainDecimalText(double value) {
  std::string text = decimalText(value);
  std::size_t e = text.find('E');
  if (e == std::string::npos) return text;
  std::string sign = text.front() == '-' ? "-" : "";
  std::string mantissa = text.substr(sign.size(), e - sign.size());
  int exponent = std::atoi(text.c_str() + e + 1);
  // The mantissa has one digit before its point.
  mantissa.erase(std::remove(mantissa.begin(), mantissa.end(), '.'), mantissa.end());
  long point = 1L + exponent;  // digits before the point once written out
  std::string body;
  if (point <= 0) {
    body = "." + zeros(static_cast<std::size_t>(-point)) + mantissa;
  } else if (static_cast<std::size_t>(point) >= mantissa.size()) {
    body = mantissa + zeros(static_cast<std::size_t>(point) - mantissa.size());
  } else {
    body = mantissa.substr(0, static_cast<std::size_t>(point)) + "." +
           mantissa.substr(static_cast<std::size_t>(point));
  }
  return sign + body;
}

// The Gregorian rule on any numeric year (a year read from text may hold
// more than a 16-bit integer).
bool isThirtyDayMonth(double month) {
  return std::find(std::begin(kThirtyDayMonths), std::end(kThirtyDayMonths), month) != std::end(kThirtyDayMonths);
}

bool isLeapYear(double year) {
  if (std::fmod(year, 4) != 0) return false;
  if (std::fmod(year, 400) == 0) return true;
  return std::fmod(year, 100) != 0;
}

// --- DOMANDA's default ----------------------------------------------------------

// The default before shaping: the preset value of TABTESTI(kTextDefaultAnswer) (as a whole
// number in `length` digits unless the type is text), or zeros, or blanks
// for text.
std::string presetDefault(std::int16_t length, char type) {
  const std::string& preset = S().TABTESTI[kTextDefaultAnswer];
  if (!preset.empty()) {
    if (type == kTextType) return preset;
    return zeroPad(INTERO(VAL(preset)), width(length));
  }
  return std::string(width(length), type == kTextType ? ' ' : '0');
}

// A number default gets a point before its decimals ("000000" with 2
// decimals becomes "0000.00"); the answer grows by the point.
void shapeNumberDefault(std::string& shown, std::int16_t& length, const std::string& type) {
  double decimals = VAL(type);
  if (decimals <= 0) return;
  auto count = static_cast<std::size_t>(decimals);
  if (count >= shown.size()) shown = zeroPad(shown, count + 1);
  shown.insert(shown.size() - count, ".");
  ++length;
}

// Digits of a default date part, written with `digits` digits.
std::string datePart(const std::string& shown, std::size_t start, std::size_t length, std::size_t digits) {
  return zeroPad(INTERO(VAL(MID(shown, start, length))), digits);
}

// A date default is written with its separators: "gg/mm/aaaa" for a length
// of 8 or 10, "mm/aaaa" for 6, "gg/mm" otherwise; the answer length becomes
// the length of what is shown.
void shapeDateDefault(std::string& shown, std::int16_t& length) {
  std::string first = datePart(shown, kDayPos, kDayMonthDigits, kDayMonthDigits);
  std::string second = length == kMonthYearDigitsLength
                           ? datePart(shown, kMonthPos, kYearDigits, kYearDigits)
                           : datePart(shown, kMonthPos, kDayMonthDigits, kDayMonthDigits);
  std::string date = first + "/" + second;
  if (length == kFullDateDigitsLength || length == kFullDateLength) {
    date += "/" + datePart(shown, kYearPos, std::string::npos, kYearDigits);
  }
  shown = date;
  length = static_cast<std::int16_t>(shown.size());
}

// The prompt as shown: no leading blanks, "*" as line breaks, the date
// placeholder with its slashes.
std::string shapePrompt(const std::string& prompt) {
  std::string shown = breakLines(LTRIM(prompt), std::string::npos);
  std::size_t at = UCASE(shown).find(kBareDatePlaceholder);
  if (at != std::string::npos) shown.replace(at, kBareDatePlaceholder.size(), kDatePlaceholder);
  return shown;
}

// --- CONTROLLARISPOSTA's date check ---------------------------------------------

void refuseDate(const std::string& answer) {
  dialogs().message(kRefusedDateHead + answer + kRefusedDateTail, Buttons::kOk, Icon::kNone);
}

// 0 when a typed date is accepted (the answer then becomes its digits), 1
// when it is refused.
double checkDateAnswer(std::string& answer, std::int16_t length) {
  if (VAL(answer) == 0) return 0;
  std::string digits = MID(answer, kDayPos, kDayMonthDigits) + MID(answer, kTypedMonthPos, kDayMonthDigits);
  const bool monthAndYear = S().TABTESTI[kTextAnswerType] == kMonthYearType;
  double verdict = 0;
  if (length == kFullDateLength) {
    digits += MID(answer, kTypedYearPos, kYearDigits);
    verdict = CONTROLLADATA(digits);
  } else if (length == kMonthYearLength && monthAndYear) {
    digits += MID(answer, kTypedMonthYearTailPos, kDayMonthDigits);
    std::string firstOfMonth = kFirstDay + digits;
    verdict = CONTROLLADATA(firstOfMonth);
  } else if (length == kDayMonthLength && !monthAndYear) {
    std::string thisYear = digits + RIGHT(platform::systemDateText(), kYearDigits);
    verdict = CONTROLLADATA(thisYear);
  }
  if (verdict == 2 || (verdict == 1 && VAL(digits) != 0)) {
    refuseDate(answer);
    return 1;
  }
  answer = digits;
  return 0;
}

}  // namespace

// --- The boxes -------------------------------------------------------------------

std::string DOMANDASN(const std::string& text, std::int16_t /*selector*/) {
  Answer answer = dialogs().message(breakLines(text, kMaxYesNoLineBreaks), Buttons::kYesNo, Icon::kQuestion,
                                    kYesNoTitle, DefaultButton::kSecond);
  return answer == Answer::kYes ? "S" : "N";
}

std::string DOMANDA(std::int16_t& length, std::string& type, std::string& prompt) {
  State& s = S();
  s.TABTESTI[kTextAnswerType] = type;
  type = LEFT(type, 1);
  const char kind = firstOf(type);

  std::string shown = presetDefault(length, kind);
  if (kind == kDateType) {
    shapeDateDefault(shown, length);
  } else if (kind != kTextType) {
    shapeNumberDefault(shown, length, type);
  }
  s.TABTESTI[kTextDefaultAnswer] = fitRight(shown, width(length));
  prompt = shapePrompt(prompt);

  std::string answer;
  for (;;) {
    answer = dialogs().input(prompt, kAnswerTitle, s.TABTESTI[kTextDefaultAnswer]).value_or("");
    if (answer.empty()) break;
    if (kind == kDateType && length >= kCheckedDateLength && !platform::isDate(answer)) {
      dialogs().message(kInvalidDateFormat, Buttons::kOk, Icon::kInformation);
      continue;
    }
    if (CONTROLLARISPOSTA(answer, length, type) == 0) break;
  }

  std::size_t lineEnd = answer.find('\r');
  if (lineEnd != std::string::npos) answer.erase(lineEnd);
  s.TABTESTI[kTextDefaultAnswer].clear();
  return LEFT(answer, width(length));
}

// --- The checks ----------------------------------------------------------------

double CONTROLLARISPOSTA(std::string& answer, std::int16_t length, const std::string& type) {
  switch (firstOf(type)) {
    case kTextType:
      return 0;
    case kWholeNumberType:
      answer = zeroPad(plainDecimalText(VAL(answer)), width(length));
      return 0;
    case kDateType:
      return checkDateAnswer(answer, length);
    default: {
      std::size_t comma = answer.find(',');
      if (comma != std::string::npos) answer[comma] = '.';
      // A one-character type holds at most 9 decimals.
      std::int16_t decimals = toInt16(VAL(LEFT(type, 1)));
      answer = zeroPad(FORMATONUMERO(VAL(answer), decimals), width(length));
      return 0;
    }
  }
}

double CONTROLLADATA(std::string& digits) {
  if (VAL(digits) == 0) return 2;
  if (digits.size() > kDateDigits) return 1;
  digits = zeroPad(digits, kDateDigits);
  if (digits.find('.') != std::string::npos) return 1;
  double day = VAL(MID(digits, kDayPos, kDayMonthDigits));
  double month = VAL(MID(digits, kMonthPos, kDayMonthDigits));
  double year = VAL(MID(digits, kYearPos, kYearDigits));
  if (month > kMonthsInYear || day > kLongestMonth) return 1;
  // A day or month below 1 (zero, or a sign typed among the digits) is no date.
  if (day < 1 || month < 1) return 1;
  if (isThirtyDayMonth(month)) return day > kShortMonth ? 1 : 0;
  if (month == kFebruary) return day > kFebruaryDays + (isLeapYear(year) ? 1 : 0) ? 1 : 0;
  return 0;
}

bool BISESTILE(std::int16_t year) { return isLeapYear(year); }

std::string INTERO(double x) {
  return plainDecimalText(std::trunc(x >= 0 ? x + kWholeNudge : x - kWholeNudge));
}

std::string FORMATONUMERO(double x, std::int16_t& decimals) {
  if (decimals <= 0) decimals = kDefaultDecimals;
  const auto count = static_cast<std::size_t>(decimals);
  const double halfUnit = 0.5 * std::pow(10.0, -static_cast<double>(decimals));
  std::string text = plainDecimalText(x >= 0 ? x + halfUnit : x - halfUnit);
  std::size_t point = text.find_first_of(".,");
  if (point == std::string::npos) {
    text += "." + zeros(count);
  } else {
    text[point] = '.';
    std::string fraction = text.substr(point + 1, count);
    text = text.substr(0, point + 1) + fraction + zeros(count - fraction.size());
  }
  if (text.front() == '.') text.insert(0, "0");
  return text;
}

}  // namespace vt
