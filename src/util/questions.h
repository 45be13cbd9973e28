// The suite's question boxes and the checks behind them: the yes/no box
// DOMANDASN and the typed-answer box DOMANDA with its number and date checks.
// None of them records a trail name; none of them fails on bad input.
//
// Answer types of DOMANDA and CONTROLLARISPOSTA (the first character decides):
//   "A"          any text, given back as typed
//   "N"          a whole number, right-aligned in the answer length with zeros
//   "1" .. "9"   a number with that many decimals, fixed-point with a point,
//                right-aligned with zeros ("0003.50")
//   "D"          a date typed with separators, given back as its digits
//                ("29/02/2000" -> "29022000"); the full type "D1" asks for a
//                month and a four-digit year ("02/2001" -> "022001")
//   other        a number given back with 2 decimals
#pragma once

#include <cstdint>
#include <string>

namespace vt {

// A yes/no question (question icon, No as default, title "Tessaro"). Each
// "*" of `text`, up to ten from the start, is a line break (CR LF); any
// further "*" stays in the text. "S" for Yes, "N" for No. `selector` is
// accepted and has no effect on the box.
std::string DOMANDASN(const std::string& text, std::int16_t selector = 2);

// An input box titled "Domanda e risposta" asking for an answer of `length`
// characters of `type`, showing as default the value preset in
// TABTESTI(kTextDefaultAnswer) (or zeros, or blanks for "A") shaped for the
// type. A refused answer is asked again after its message. Returns the
// checked, normalised answer cut to `length`, or "" when the operator
// cancelled or left the field empty. On return TABTESTI(kTextDefaultAnswer)
// is empty and TABTESTI(kTextAnswerType) holds the full type. The arguments
// change as the suite's box changes them: `type` is cut to its first
// character, `length` grows by one for the decimal point of a number type
// and becomes 5, 7 or 10 for a date, and `prompt`
// loses its leading blanks, has each "*" made a line break (CR LF) and
// "GGMMAAAA" (in any case) written "GG/MM/AAAA".
std::string DOMANDA(std::int16_t& length, std::string& type, std::string& prompt);

// Checks `answer` by type (full type of a date in TABTESTI(kTextAnswerType)) and
// normalises it in place: 0 accepted, 1 refused after the message
// "LA DATA <answer> NON E' CORRETTA " (OK, no icon, default title).
// Only a date can be refused.
double CONTROLLARISPOSTA(std::string& answer, std::int16_t length, const std::string& type);

// Validity of a day-month-year given as digits "ggmmaaaa": 0 valid, 1
// invalid (also longer than 8 characters or holding a point), 2 empty
// (numeric value 0). `digits` is padded on the left with zeros to 8
// characters when it is not refused before.
double CONTROLLADATA(std::string& digits);

// The Gregorian leap-year rule.
bool BISESTILE(std::int16_t year);

// The whole part toward zero of x + 0.1 (x - 0.1 when negative), as text
// without blanks, written out in full: 2.95 -> "3", 2.85 -> "2", -2.95 -> "-3".
std::string INTERO(double x);

// `x` as fixed-point text with exactly `decimals` decimals after a point,
// halves rounded away from zero, always written out in full (never in
// exponent form), "0" before a leading point. A decimals argument of 0 (or
// below) is made 2, also in the caller's variable.
std::string FORMATONUMERO(double x, std::int16_t& decimals);

}  // namespace vt
