#include "platform/cp1252.h"

#include <array>

namespace vt::platform {
namespace {

constexpr unsigned char kFirstHigh = 0x80;
constexpr unsigned char kFirstLatin1 = 0xA0;

// Code points of bytes 0x80 to 0x9F.
constexpr std::array<char16_t, kFirstLatin1 - kFirstHigh> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char16_t kLastLatin1 = 0xFF;

}  // namespace

char16_t unicodeOf(char byte) {
  const auto b = static_cast<unsigned char>(byte);
  return b >= kFirstHigh && b < kFirstLatin1 ? kHigh[b - kFirstHigh] : char16_t{b};
}

std::optional<char> cp1252Of(char16_t c) {
  if (c < kFirstHigh || (c >= kFirstLatin1 && c <= kLastLatin1)) return static_cast<char>(c);
  for (std::size_t i = 0; i < kHigh.size(); ++i) {
    if (kHigh[i] == c) return static_cast<char>(kFirstHigh + i);
  }
  return std::nullopt;
}

std::u16string utf16Of(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) out.push_back(unicodeOf(c));
  return out;
}

std::string cp1252Of(std::u16string_view text, bool& lossless) {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    const std::optional<char> byte = cp1252Of(c);
    if (!byte) lossless = false;
    out.push_back(byte.value_or('?'));
  }
  return out;
}

std::string cp1252Of(std::u16string_view text) {
  bool ignored = true;
  return cp1252Of(text, ignored);
}

#ifdef _WIN32
std::wstring wideOf(std::string_view text) {
  const std::u16string utf16 = utf16Of(text);
  return {utf16.begin(), utf16.end()};
}

std::string cp1252Of(std::wstring_view text, bool& lossless) {
  return cp1252Of(std::u16string(text.begin(), text.end()), lossless);
}
#endif

}  // namespace vt::platform
