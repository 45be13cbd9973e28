// The suite's text and number conversions: one implementation, used by every
// procedure that turns record text into numbers or numbers into record text.
// Texts are single-byte (Windows-1252) strings; positions are 1-based where
// the suite counts them so.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vt {

// The numeric value of a text: blanks are skipped wherever they stand, then
// an optional sign, digits, one decimal point and an optional exponent (E or
// D, optional sign, digits). Reading stops at the first character that cannot
// continue the number; a text with no number gives 0.
double VAL(std::string_view text);

// A number as text with a leading blank reserved for the sign: " 5", "-5",
// " .5", " 1E+20". Up to 15 significant digits; exponent form from 1E+15 up
// and below 1E-04, as the suite's number-to-text conversion writes them.
std::string STR(double value);

// STR without the blank reserved for the sign: "5", "-5", ".5".
std::string decimalText(double value);

// Rounds to the nearest whole number, halves to even, as a 16-bit integer;
// a value outside -32768..32767 is run-time failure 6 (overflow).
std::int16_t toInt16(double value);

// Substrings with the suite's rules: a start past the end gives "", a length
// past the end gives what there is. `start` is 1-based.
std::string MID(std::string_view text, std::size_t start, std::size_t length = std::string_view::npos);
std::string LEFT(std::string_view text, std::size_t length);
std::string RIGHT(std::string_view text, std::size_t length);

// Blank trimming (spaces only, as the suite trims).
std::string LTRIM(std::string_view text);
std::string RTRIM(std::string_view text);
std::string TRIM(std::string_view text);

// Upper case of a Windows-1252 text.
std::string UCASE(std::string_view text);

// `text` cut or padded with blanks on the right to exactly `length` characters.
std::string fitRight(std::string_view text, std::size_t length);

// The last `width` characters of `width` zeros followed by `digits`: the
// suite's right-aligned, zero-padded number ("007" for 7 in 3 characters).
std::string zeroPad(std::string_view digits, std::size_t width);

// Overwrites `target` from 1-based `start` with as many characters of
// `value` as fit, never changing the length of `target`.
void overwrite(std::string& target, std::size_t start, std::string_view value);

}  // namespace vt
