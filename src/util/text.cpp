#include "util/text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/failure.h"

namespace vt {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

double VAL(std::string_view text) {
  enum class Part { kSign, kWhole, kFraction, kExponentSign, kExponent };
  std::string number;
  Part part = Part::kSign;
  for (char c : text) {
    if (isBlank(c)) continue;
    if (part == Part::kSign && (c == '-' || c == '+')) {
      number.push_back(c);
      part = Part::kWhole;
    } else if (isDigit(c)) {
      number.push_back(c);
      if (part == Part::kSign) part = Part::kWhole;
      if (part == Part::kExponentSign) part = Part::kExponent;
    } else if (c == '.' && (part == Part::kSign || part == Part::kWhole)) {
      number.push_back('.');
      part = Part::kFraction;
    } else if ((c == 'E' || c == 'e' || c == 'D' || c == 'd') &&
               (part == Part::kWhole || part == Part::kFraction) &&
               number.find_first_of("0123456789") != std::string::npos) {
      number.push_back('e');
      part = Part::kExponentSign;
    } else if (part == Part::kExponentSign && (c == '-' || c == '+')) {
      number.push_back(c);
      part = Part::kExponent;
    } else {
      break;
    }
  }
  // An exponent marker without digits does not count.
  while (!number.empty() && (number.back() == 'e' || number.back() == '+' || number.back() == '-')) {
    number.pop_back();
  }
  if (number.find_first_of("0123456789") == std::string::npos) return 0;
  double value = std::strtod(number.c_str(), nullptr);
  return std::isfinite(value) ? value : 0;
}

std::string STR(double value) {
  if (value == 0 || !std::isfinite(value)) return " 0";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
  // buffer: d.ddddddddddddddde[+-]XX
  std::string text(buffer);
  std::size_t e = text.find('e');
  std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
  int exponent = std::atoi(text.c_str() + e + 1);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string body;
  if (exponent >= 15 || exponent < -4) {
    body = digits.substr(0, 1);
    if (digits.size() > 1) body += "." + digits.substr(1);
    char exponentText[16];
    std::snprintf(exponentText, sizeof exponentText, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    body += exponentText;
  } else if (exponent < 0) {
    body = "." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  } else {
    auto whole = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= whole) {
      body = digits + std::string(whole - digits.size(), '0');
    } else {
      body = digits.substr(0, whole) + "." + digits.substr(whole);
    }
  }
  return (value < 0 ? "-" : " ") + body;
}

std::string decimalText(double value) {
  std::string text = STR(value);
  return text.front() == ' ' ? text.substr(1) : text;
}

std::int16_t toInt16(double value) {
  double rounded = std::nearbyint(value);
  if (!std::isfinite(value) || rounded < -32768.0 || rounded > 32767.0) {
    raiseFailure(err::kOverflow);
  }
  return static_cast<std::int16_t>(rounded);
}

std::string MID(std::string_view text, std::size_t start, std::size_t length) {
  if (start == 0 || start > text.size()) return {};
  return std::string(text.substr(start - 1, length));
}

std::string LEFT(std::string_view text, std::size_t length) { return std::string(text.substr(0, length)); }

std::string RIGHT(std::string_view text, std::size_t length) {
  if (length >= text.size()) return std::string(text);
  return std::string(text.substr(text.size() - length));
}

std::string LTRIM(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string RTRIM(std::string_view text) {
  std::size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string TRIM(std::string_view text) { return LTRIM(RTRIM(text)); }

std::string UCASE(std::string_view text) {
  std::string result(text);
  for (char& ch : result) {
    auto c = static_cast<unsigned char>(ch);
    if (c >= 'a' && c <= 'z') {
      c = static_cast<unsigned char>(c - 32);
    } else if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {
      c = static_cast<unsigned char>(c - 32);
    } else if (c == 0x9A || c == 0x9C || c == 0x9E) {
      c = static_cast<unsigned char>(c - 16);  // š œ ž
    } else if (c == 0xFF) {
      c = 0x9F;  // ÿ
    }
    ch = static_cast<char>(c);
  }
  return result;
}

std::string fitRight(std::string_view text, std::size_t length) {
  std::string result(text.substr(0, length));
  result.resize(length, ' ');
  return result;
}

std::string zeroPad(std::string_view digits, std::size_t width) {
  return RIGHT(std::string(width, '0') + std::string(digits), width);
}

void overwrite(std::string& target, std::size_t start, std::string_view value) {
  if (start == 0 || start > target.size()) return;
  std::size_t count = std::min(value.size(), target.size() - (start - 1));
  target.replace(start - 1, count, value.substr(0, count));
}

}  // namespace vt
