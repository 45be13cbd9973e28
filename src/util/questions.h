// The suite's question boxes and the checks behind them: the yes/no box
// DOMANDASN and the typed-answer box DOMANDA with its number and date checks.
// None of them records a trail name.
#pragma once

#include <cstdint>
#include <string>

namespace vt {

// A yes/no question (question icon, No as default, title "Tessaro"); each
// "*" of `text`, up to ten, is a line break. "S" for Yes, "N" for No.
std::string DOMANDASN(const std::string& text, std::int16_t selector = 2);

// An input box titled "Domanda e risposta" asking for an answer of `length`
// characters of `type` ("A", "N", a digit of decimals, "D", "D1"), with the
// default from TABTESTI(48). Returns the checked, normalised answer, or ""
// when the operator cancelled or left the field empty. `length`, `type` and
// `prompt` are changed as the suite's box changes them.
std::string DOMANDA(std::int16_t& length, std::string& type, std::string& prompt);

// Checks `answer` by type and normalises it in place: 0 accepted, 1 refused
// (after the message "LA DATA ... NON E' CORRETTA ").
double CONTROLLARISPOSTA(std::string& answer, std::int16_t length, const std::string& type);

// Validity of a day-month-year given as digits: 0 valid, 1 invalid, 2 empty.
// `digits` is padded on the left with zeros to 8 characters.
double CONTROLLADATA(std::string& digits);

// The Gregorian leap-year rule.
bool BISESTILE(std::int16_t year);

// The whole part toward zero of x + 0.1 (x - 0.1 when negative), as text.
std::string INTERO(double x);

// `x` as fixed-point text with `decimals` decimals, halves rounded away from
// zero; a decimals argument of 0 is made 2 (also in the caller's variable).
std::string FORMATONUMERO(double x, std::int16_t& decimals);

}  // namespace vt
