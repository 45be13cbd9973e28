#include "ui/qt/cp1252.h"

#include <array>

namespace vt::qt {
namespace {

// Code points of bytes 0x80 to 0x9F; 0 marks the five bytes Windows-1252 leaves undefined.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

QString fromCp1252(std::string_view text) {
  QString result;
  result.reserve(static_cast<qsizetype>(text.size()));
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    char16_t unicode = c;
    if (c >= 0x80 && c <= 0x9F && kHigh[c - 0x80] != 0) unicode = kHigh[c - 0x80];
    result.append(QChar(unicode));
  }
  return result;
}

std::string toCp1252(const QString& text) {
  std::string result;
  result.reserve(static_cast<std::size_t>(text.size()));
  for (QChar qc : text) {
    char16_t u = qc.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      result.push_back(static_cast<char>(u));
      continue;
    }
    char byte = '?';
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
      if (kHigh[i] != 0 && kHigh[i] == u) byte = static_cast<char>(0x80 + i);
    }
    result.push_back(byte);
  }
  return result;
}

QString messageText(std::string_view text) {
  QString result = fromCp1252(text);
  result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  result.replace(QChar('\r'), QChar('\n'));
  return result;
}

}  // namespace vt::qt
