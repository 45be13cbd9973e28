// The suite's single-byte text, Windows-1252, and Unicode: the one table of
// the program. Records, paths and messages are Windows-1252 bytes in
// std::string everywhere; they become Unicode only where the operating system
// takes Unicode (the wide file, registry and console calls of Windows, and
// the standard library's file system paths there: platform/files.h) or a view shows them
// (ui/qt/cp1252.h converts through this table).
//
// Bytes 0x00-0x7F and 0xA0-0xFF are the Unicode characters of the same
// number; 0x80-0x9F are the table in cp1252.cpp. The five bytes Windows-1252
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control
// characters of the same number both ways, as Windows' own conversion takes
// them, so that every byte goes to Unicode and back unchanged.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vt::platform {

// The Unicode character of byte `byte`.
char16_t unicodeOf(char byte);

// The byte of Unicode character `c`, or nothing when Windows-1252 has none.
std::optional<char> cp1252Of(char16_t c);

// `text` in UTF-16.
std::u16string utf16Of(std::string_view text);

// `text` in Windows-1252: a character that it cannot hold becomes "?" and
// makes `lossless` false (it is left alone otherwise).
std::string cp1252Of(std::u16string_view text, bool& lossless);
std::string cp1252Of(std::u16string_view text);

#ifdef _WIN32
// The same for the system's wide strings (UTF-16 on Windows).
std::wstring wideOf(std::string_view text);
std::string cp1252Of(std::wstring_view text, bool& lossless);
#endif

}  // namespace vt::platform
