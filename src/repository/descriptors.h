// Field descriptors: the suite's one agreement on where every field of every
// record type lies and how its characters are read.
//
// A descriptor is a text of exactly 23 characters, fields at fixed places
// (positions counted from 1), for example "DITX$,00003,03,N,0,T001":
//
//   Pos.   Width  Content                 Form
//   1-5    5      record variable         4 characters and "$" ("DITX$"): the record
//                                         type, and the name of its record buffer
//   6      1      separator               ","
//   7-11   5      position                5 decimal digits, leading zeros, 1-based:
//                                         the field's first character in the record
//   12     1      separator               ","
//   13-14  2      length                  2 decimal digits: the field's characters
//   15     1      separator               ","
//   16     1      type                    "A" text, "D" date (as stored), "0" as
//                                         stored, "N" whole number, "2".."6" number
//                                         with that many implied decimals
//   17     1      separator               ","
//   18     1      flag                    "0" or "1"; carried, not read by field access
//   19     1      separator               ","
//   20-23  4      code                    a letter and three letters or digits,
//                                         unique in the table ("T001"); the letter
//                                         tells the record variable
//
// Numbers are stored as decimal digit characters; a negative number carries
// a "-" in place of one of its digits.
//
// The suite's table groups its descriptors by record variable. This program
// carries the rows it reads (below); further rows go into kKnownDescriptors in
// the same form.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace vt {

namespace descriptor {
inline constexpr std::size_t kSize = 23;
inline constexpr std::size_t kRecordVariablePos = 1;
inline constexpr std::size_t kRecordVariableWidth = 5;
inline constexpr std::size_t kPositionPos = 7;
inline constexpr std::size_t kPositionWidth = 5;
inline constexpr std::size_t kLengthPos = 13;
inline constexpr std::size_t kLengthWidth = 2;
inline constexpr std::size_t kTypePos = 16;
inline constexpr std::size_t kFlagPos = 18;
inline constexpr std::size_t kCodePos = 20;
inline constexpr std::size_t kCodeWidth = 4;
// The separators stand just before the position, length, type, flag and code.
inline constexpr std::array<std::size_t, 5> kSeparatorPos = {6, 12, 15, 17, 19};
inline constexpr char kSeparator = ',';
}  // namespace descriptor

// How a field's stored characters are read (the descriptor's type character).
namespace field_type {
inline constexpr char kText = 'A';
inline constexpr char kDate = 'D';
inline constexpr char kAsStored = '0';
inline constexpr char kWhole = 'N';
inline constexpr char kFewestDecimals = '2';
inline constexpr char kMostDecimals = '6';
}  // namespace field_type

// Implied decimals of a field of `type`: 2 to 6 for types "2".."6", else 0.
constexpr int decimalsOf(char type) {
  return type >= field_type::kFewestDecimals && type <= field_type::kMostDecimals ? type - '0' : 0;
}

// A descriptor taken apart. The views point into the descriptor's text and
// are valid as long as that text is.
struct FieldDescriptor {
  std::string_view recordVariable;  // "DITX$"
  int position = 0;                 // 1-based; 0 stands in no valid descriptor
  int length = 0;
  char type = field_type::kText;
  char flag = '0';
  std::string_view code;  // "T001"

  constexpr int decimals() const { return decimalsOf(type); }
  // Whether the field holds a number whose sign is moved to the front.
  constexpr bool isNumber() const { return type == field_type::kWhole || decimals() > 0; }
};

namespace descriptor_detail {
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

constexpr std::optional<int> digits(std::string_view text, std::size_t pos, std::size_t width) {
  int value = 0;
  for (std::size_t i = 0; i < width; ++i) {
    const char c = text[pos - 1 + i];
    if (!isDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

constexpr bool knownType(char type) {
  return type == field_type::kText || type == field_type::kDate || type == field_type::kAsStored ||
         type == field_type::kWhole || (type >= field_type::kFewestDecimals && type <= field_type::kMostDecimals);
}
}  // namespace descriptor_detail

// What is wrong with `text` as a descriptor, in words for the operator, or
// "" when it is well formed: 23 characters, every separator in place, digits
// in the position and length, a position above 0, a known type, and a number
// field at least as long as its decimals. The record variable and the code
// are not checked here.
constexpr std::string_view descriptorFault(std::string_view text) {
  using namespace descriptor;
  if (text.size() != kSize) return "non ha 23 caratteri";
  for (std::size_t pos : kSeparatorPos) {
    if (text[pos - 1] != kSeparator) return "separatore mancante";
  }
  const std::optional<int> position = descriptor_detail::digits(text, kPositionPos, kPositionWidth);
  if (!position) return "posizione non numerica";
  if (*position == 0) return "posizione 0";
  const std::optional<int> length = descriptor_detail::digits(text, kLengthPos, kLengthWidth);
  if (!length) return "lunghezza non numerica";
  const char type = text[kTypePos - 1];
  if (!descriptor_detail::knownType(type)) return "tipo sconosciuto";
  if (*length < decimalsOf(type)) return "lunghezza minore dei decimali";
  return {};
}

// The descriptor taken apart, or nothing when descriptorFault finds a fault.
constexpr std::optional<FieldDescriptor> tryParseDescriptor(std::string_view text) {
  using namespace descriptor;
  if (!descriptorFault(text).empty()) return std::nullopt;
  FieldDescriptor d;
  d.recordVariable = text.substr(kRecordVariablePos - 1, kRecordVariableWidth);
  d.position = *descriptor_detail::digits(text, kPositionPos, kPositionWidth);
  d.length = *descriptor_detail::digits(text, kLengthPos, kLengthWidth);
  d.type = text[kTypePos - 1];
  d.flag = text[kFlagPos - 1];
  d.code = text.substr(kCodePos - 1, kCodeWidth);
  return d;
}

// As tryParseDescriptor; a text that is no well-formed descriptor is run-time
// failure 5, whose description quotes the text and says what is wrong.
FieldDescriptor parseDescriptor(std::string_view text);

// The descriptors this program reads, named by their codes.
inline constexpr char T261[] = "DITX$,00001,02,N,1,T261";  // company record status; 99 = free
inline constexpr char T001[] = "DITX$,00003,03,N,0,T001";  // company code
inline constexpr char T002[] = "DITX$,00006,30,A,0,T002";  // company name
inline constexpr char P359[] = "DIPX$,00001,02,N,1,P359";  // employee record status; 99 = free
inline constexpr char S204[] = "SETX$,00001,02,N,1,S204";  // sector record status; 99 = free

// Every descriptor the program knows, grouped by record variable in the
// suite's order (DITX$, DIPX$, DI2X$, CUDX$, ...).
inline constexpr std::array<std::string_view, 5> kKnownDescriptors = {
    T261, T001, T002,  // DITX$
    P359,              // DIPX$
    S204,              // SETX$
};

// The known descriptor with `code` ("T001"), or nothing.
constexpr std::optional<std::string_view> descriptorByCode(std::string_view code) {
  for (std::string_view d : kKnownDescriptors) {
    if (d.substr(descriptor::kCodePos - 1, descriptor::kCodeWidth) == code) return d;
  }
  return std::nullopt;
}

// Every row of the table is well formed and its code is unique.
static_assert([] {
  for (std::size_t i = 0; i < kKnownDescriptors.size(); ++i) {
    const std::optional<FieldDescriptor> d = tryParseDescriptor(kKnownDescriptors[i]);
    if (!d) return false;
    for (std::size_t j = 0; j < i; ++j) {
      if (tryParseDescriptor(kKnownDescriptors[j])->code == d->code) return false;
    }
  }
  return true;
}());

}  // namespace vt
