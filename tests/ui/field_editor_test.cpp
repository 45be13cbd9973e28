// The field input editor: what the boxes show and what reaches the key
// string as the operator types.
#include "ui/field_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/state.h"
#include "scripted_dialogs.h"
#include "temp_install.h"
#include "util/text.h"

namespace vt {
namespace {

using testing::ScriptedDialogs;
using testing::ThrowingEndHook;

// A field definition of the dialog's layout: name, length, type, start.
std::string definition(const std::string& name, int length, char type, int start) {
  std::string text = "---" + fitRight(name, 23) + "---" + zeroPad(std::to_string(length), 2) + type +
                     "-0000000--000-0000" + zeroPad(std::to_string(start), 4) + "1000000010000X0000-----";
  return text;
}

class FieldEditorTest : public ::testing::Test {
 protected:
  testing::TempFolder folder;  // resets the state
  ScriptedDialogs dialogs;
  ThrowingEndHook endHook;
  FieldEditor editor;

  // The three fields of an employee code (3 + 3 + 4 digits) over `key`.
  void loadEmployeeCode(const std::string& key) {
    S().TABTESTI[kKeyEntry] = key;
    editor.loadField(1, definition("Ditta", 3, 'N', 1));
    editor.loadField(2, definition("Sottoditta", 3, 'N', 4));
    editor.loadField(3, definition("Dipendente", 4, 'N', 7));
  }

  // One field of `length` and `type` at the start of `key`, in box 0.
  void loadSingle(const std::string& key, int length, char type) {
    S().TABTESTI[kKeyEntry] = key;
    editor.loadField(1, definition("Campo", length, type, 1));
  }

  // Types each character of `text` into box i.
  void type(int i, const std::string& text) {
    for (char c : text) editor.keyPress(i, static_cast<unsigned char>(c));
  }

  // Types text into box i from the caret `caret`.
  void typeAt(int i, int caret, const std::string& text) {
    editor.setCaret(i, caret);
    type(i, text);
  }

  std::string shown(int i) const { return editor.box(i).text; }
  int caret(int i) const { return editor.box(i).caret; }
  std::string key() const { return S().TABTESTI[kKeyEntry]; }
};

TEST_F(FieldEditorTest, TheDefinitionGivesLengthTypeAndStart) {
  FieldFormat company = fieldFormat("---Ditta                  ---03N-0000000--000-P00100011000000010000XP001-----");
  EXPECT_EQ(company.kind, FieldFormat::Kind::kInteger);
  EXPECT_EQ(company.length, 3);
  EXPECT_EQ(company.start, 1);
  EXPECT_EQ(company.width(), 3);

  FieldFormat employee = fieldFormat("---Dipendente             ---04N-0000000--000-P00200071000000010000XP002-----");
  EXPECT_EQ(employee.length, 4);
  EXPECT_EQ(employee.start, 7);

  FieldFormat amount = fieldFormat(definition("Importo", 7, '2', 3));
  EXPECT_EQ(amount.kind, FieldFormat::Kind::kDecimal);
  EXPECT_EQ(amount.decimals, 2);
  EXPECT_EQ(amount.width(), 8);

  EXPECT_EQ(fieldFormat(definition("Nome", 5, 'A', 1)).kind, FieldFormat::Kind::kAlpha);
  EXPECT_EQ(fieldFormat(definition("Data", 6, 'D', 1)).kind, FieldFormat::Kind::kDate);
  EXPECT_EQ(fieldFormat(definition("Strano", 6, 'Z', 1)).kind, FieldFormat::Kind::kUnknown);
}

TEST_F(FieldEditorTest, TheBoxesShowTheKeyAsNumbersLeftAlignedWithOneBlankMore) {
  loadEmployeeCode("0000000000");
  EXPECT_EQ(shown(0), "0   ");
  EXPECT_EQ(shown(1), "0   ");
  EXPECT_EQ(shown(2), "0    ");
  EXPECT_EQ(editor.BUFCAMPO[3], "0   ");

  loadEmployeeCode("0050120059");
  EXPECT_EQ(editor.BUFCAMPO[1], "5  ");
  EXPECT_EQ(editor.BUFCAMPO[2], "12 ");
  EXPECT_EQ(editor.BUFCAMPO[3], "59  ");
  EXPECT_EQ(caret(2), 0);
}

TEST_F(FieldEditorTest, DigitsFillTheFieldLeftToRight_ThenTheLastOneIsOverwritten) {
  loadEmployeeCode("0000000000");
  type(0, "12");
  EXPECT_EQ(editor.BUFCAMPO[1], "12 ");
  EXPECT_EQ(shown(0), "12  ");
  EXPECT_EQ(caret(0), 2);

  type(0, "3");
  EXPECT_EQ(editor.BUFCAMPO[1], "123");
  EXPECT_EQ(caret(0), 2) << "the caret stays on the 3";

  type(0, "4");
  EXPECT_EQ(editor.BUFCAMPO[1], "124");
  EXPECT_EQ(shown(0), "124 ");
  EXPECT_EQ(caret(0), 2);
  EXPECT_EQ(dialogs.beeps(), 0);
  EXPECT_EQ(key(), "0000000000") << "nothing reaches the key before the commit";
}

TEST_F(FieldEditorTest, TheFirstDigitTypedAtTheStartReplacesTheWholeValue) {
  loadEmployeeCode("1230000000");
  EXPECT_EQ(editor.BUFCAMPO[1], "123");
  typeAt(0, 0, "7");
  EXPECT_EQ(editor.BUFCAMPO[1], "7  ");
  EXPECT_EQ(caret(0), 1);

  // Typing further in, the rest of the value stays.
  loadEmployeeCode("1230000000");
  typeAt(0, 1, "7");
  EXPECT_EQ(editor.BUFCAMPO[1], "173");
  EXPECT_EQ(caret(0), 2);
}

TEST_F(FieldEditorTest, ADigitOnTheBlankAfterTheFieldIsDroppedWithoutABeep) {
  loadEmployeeCode("1230000000");
  typeAt(0, 3, "9");
  EXPECT_EQ(editor.BUFCAMPO[1], "123");
  EXPECT_EQ(shown(0), "123 ");
  EXPECT_EQ(caret(0), 3);
  // Also after the trailing blank (End).
  typeAt(0, 4, "9");
  EXPECT_EQ(editor.BUFCAMPO[1], "123");
  EXPECT_EQ(caret(0), 4);
  EXPECT_EQ(dialogs.beeps(), 0);
}

TEST_F(FieldEditorTest, BackspaceBlanksTheCharacterLeftOfTheCaret_AndBeepsAtTheStart) {
  loadEmployeeCode("0000000000");
  editor.keyPress(0, kCharBackspace);
  EXPECT_EQ(dialogs.beeps(), 1);
  EXPECT_EQ(editor.BUFCAMPO[1], "0  ");
  EXPECT_EQ(shown(0), "0   ");
  EXPECT_EQ(caret(0), 0);

  type(0, "12");
  editor.keyPress(0, kCharBackspace);
  EXPECT_EQ(editor.BUFCAMPO[1], "1  ");
  EXPECT_EQ(caret(0), 1);

  // In the middle of a full field a blank stays inside the value.
  loadEmployeeCode("1230000000");
  editor.setCaret(0, 2);
  editor.keyPress(0, kCharBackspace);
  EXPECT_EQ(editor.BUFCAMPO[1], "1 3");
  EXPECT_EQ(caret(0), 1);
  EXPECT_EQ(dialogs.beeps(), 1);
}

TEST_F(FieldEditorTest, BackspaceAfterTheTrailingBlankOnlyMovesTheCaretBack) {
  loadEmployeeCode("1230000000");
  editor.setCaret(0, 4);  // End: after the blank that follows the buffer
  editor.keyPress(0, kCharBackspace);
  EXPECT_EQ(editor.BUFCAMPO[1], "123");
  EXPECT_EQ(shown(0), "123 ");
  EXPECT_EQ(caret(0), 3);
  editor.keyPress(0, kCharBackspace);
  EXPECT_EQ(editor.BUFCAMPO[1], "12 ");
  EXPECT_EQ(caret(0), 2);
}

TEST_F(FieldEditorTest, ANumberFieldRefusesEverythingButDigitsWithTheBeep) {
  loadEmployeeCode("0000000000");
  type(0, "12");
  int beeps = 0;
  for (int code : std::initializer_list<int>{' ', 'A', 'a', '.', '-', ',', '+', 0x9C, kCharEnter, kCharEscape}) {
    editor.keyPress(0, code);
    ++beeps;
    EXPECT_EQ(dialogs.beeps(), beeps) << "code " << code;
    EXPECT_EQ(editor.BUFCAMPO[1], "12 ") << "code " << code;
    EXPECT_EQ(shown(0), "12  ") << "code " << code;
    EXPECT_EQ(caret(0), 2) << "code " << code;
  }
}

TEST_F(FieldEditorTest, EnterAtTheStartOfABoxIsIgnored) {
  loadEmployeeCode("0000000000");
  editor.keyPress(0, kCharEnter);
  EXPECT_EQ(dialogs.beeps(), 0);
  EXPECT_EQ(S().TABPARAM[kParamTypingStarted], 0);
  EXPECT_EQ(editor.BUFCAMPO[1], "0  ");
}

TEST_F(FieldEditorTest, CtrlBackspaceBlanksTheField_AndItsCommitStoresZeros) {
  loadEmployeeCode("1234560059");
  editor.setCaret(0, 2);
  editor.keyPress(0, kCharCtrlBackspace);
  EXPECT_EQ(editor.BUFCAMPO[1], "   ");
  EXPECT_EQ(shown(0), "    ");
  EXPECT_EQ(caret(0), 0);
  EXPECT_EQ(dialogs.beeps(), 0);

  editor.MUOVIN(0);
  EXPECT_EQ(key(), "0004560059");
}

TEST_F(FieldEditorTest, ACommitWritesTheNumberRightAlignedAndZeroPaddedIntoItsPlace) {
  loadEmployeeCode("0000000000");
  // 5, blank, 9, blank in the employee field: 5, Right over the blank, 9.
  type(2, "5");
  editor.arrowKey(2, kKeyRight);
  type(2, "9");
  EXPECT_EQ(editor.BUFCAMPO[3], "5 9 ");
  editor.MUOVIN(2);
  EXPECT_EQ(key(), "0000000059");
  EXPECT_EQ(MID(key(), 7, 4), "0059");

  type(0, "12");
  editor.MUOVIN(0);
  EXPECT_EQ(key(), "0120000059");

  typeAt(1, 0, "7");
  editor.MUOVIN(1);
  EXPECT_EQ(key(), "0120070059");
  // The commit leaves the buffer as it was typed.
  EXPECT_EQ(editor.BUFCAMPO[2], "7  ");
}

TEST_F(FieldEditorTest, RightStopsJustAfterTheField_LeftStopsAtTheStart) {
  loadEmployeeCode("1230000000");
  for (int expected : {1, 2, 3, 3, 3}) {
    editor.arrowKey(0, kKeyRight);
    EXPECT_EQ(caret(0), expected);
  }
  for (int expected : {2, 1, 0, 0}) {
    editor.arrowKey(0, kKeyLeft);
    EXPECT_EQ(caret(0), expected);
  }
  // From after the trailing blank Right stays there, Left walks back.
  editor.setCaret(0, 4);
  editor.arrowKey(0, kKeyRight);
  EXPECT_EQ(caret(0), 4);
  editor.arrowKey(0, kKeyLeft);
  EXPECT_EQ(caret(0), 3);
  EXPECT_EQ(editor.BUFCAMPO[1], "123");
  EXPECT_EQ(dialogs.beeps(), 0);
}

TEST_F(FieldEditorTest, InAOneCharacterFieldRightNeverPassesTheCharacter) {
  loadSingle("5", 1, 'N');
  EXPECT_EQ(shown(0), "5 ");
  editor.arrowKey(0, kKeyRight);
  EXPECT_EQ(caret(0), 1);
  editor.arrowKey(0, kKeyRight);
  EXPECT_EQ(caret(0), 1);
  editor.arrowKey(0, kKeyLeft);
  EXPECT_EQ(caret(0), 0);
  type(0, "8");
  EXPECT_EQ(editor.BUFCAMPO[1], "8");
  EXPECT_EQ(caret(0), 0) << "the caret stays on the only character";
}

TEST_F(FieldEditorTest, TestonReportsStoredDoneOrCaretKey_AndMarksTypingStarted) {
  loadEmployeeCode("0000000000");
  EXPECT_EQ(S().TABPARAM[kParamTypingStarted], 0);
  S().TABPARAM[kParamCaret] = 0;
  EXPECT_EQ(editor.TESTON(0, '4', kFromCharacter), kStored);
  EXPECT_EQ(S().TABPARAM[kParamTypingStarted], 1);
  EXPECT_EQ(S().TABPARAM[kParamEditing], 1);
  S().TABPARAM[kParamCaret] = 2;
  EXPECT_EQ(editor.TESTON(0, '4', kFromCharacter), kDone) << "the last position";
  EXPECT_EQ(editor.TESTON(0, 'x', kFromCharacter), kDone);
  S().TABPARAM[kParamCaret] = 1;
  EXPECT_EQ(editor.TESTON(0, kKeyRight, kFromKeyDown), kCaretKey);
  EXPECT_EQ(editor.TESTON(0, kKeyLeft, kFromKeyDown), kCaretKey);
  // As characters, 37 and 39 are "%" and "'": not digits.
  EXPECT_EQ(editor.TESTON(0, kKeyLeft, kFromCharacter), kDone);
  EXPECT_EQ(dialogs.beeps(), 2);
  EXPECT_EQ(editor.BUFCAMPO[1], "4 4");
}

TEST_F(FieldEditorTest, WhatTheBoxDoesByItselfIsReplacedByTheBuffer) {
  loadEmployeeCode("0000000000");
  type(0, "12");
  // Delete, a paste, a cut: the box reports its new text.
  for (const std::string& own : {std::string("1 "), std::string("1299999 "), std::string("")}) {
    editor.boxEdited(0, own);
    EXPECT_EQ(shown(0), "12  ");
    EXPECT_EQ(caret(0), 2);
  }
  // A caret move of the box stands until the next key reads it.
  editor.setCaret(0, 0);
  EXPECT_EQ(caret(0), 0);
  editor.setCaret(0, 99);
  EXPECT_EQ(caret(0), 4) << "never beyond the text";

  // While the program writes a box itself the rule stays out of the way.
  S().TABPARAM[kParamRedisplay] = 1;
  editor.boxEdited(0, "abc");
  EXPECT_EQ(shown(0), "abc");
  S().TABPARAM[kParamRedisplay] = 0;
  EXPECT_EQ(editor.BUFCAMPO[1], "12 ");
}

TEST_F(FieldEditorTest, RedisplayDiscardsAnUncommittedEdit_OnceTypingHasStarted) {
  loadEmployeeCode("0050000000");
  editor.redisplay(0);
  EXPECT_EQ(shown(0), "5   ") << "before any key nothing happens";

  type(0, "98");
  editor.redisplay(0);
  EXPECT_EQ(editor.BUFCAMPO[1], "5  ");
  EXPECT_EQ(shown(0), "5   ");
  EXPECT_EQ(caret(0), 0);
  EXPECT_EQ(S().TABPARAM[kParamCaret], 0);
  EXPECT_EQ(S().TABPARAM[kParamRedisplay], 0);

  type(0, "98");
  editor.MUOVIN(0);
  editor.redisplay(0);
  EXPECT_EQ(editor.BUFCAMPO[1], "98 ");
}

TEST_F(FieldEditorTest, TheFieldValueIsTakenFromTheKeyAsDisplayText) {
  S().TABTESTI[kKeyEntry] = "0000120345";
  EXPECT_EQ(editor.PRENDIN(definition("Ditta", 3, 'N', 1)), "0  ");
  EXPECT_EQ(editor.PRENDIN(definition("Sottoditta", 3, 'N', 4)), "12 ");
  EXPECT_EQ(editor.PRENDIN(definition("Dipendente", 4, 'N', 7)), "345 ");
  // Two decimals: a point before the last two digits, one character wider.
  S().TABTESTI[kKeyEntry] = "0034500000";
  EXPECT_EQ(editor.PRENDIN(definition("Importo", 5, '2', 1)), "3.45  ");
  EXPECT_EQ(editor.PRENDIN(definition("Importo", 5, '2', 6)), "0.00  ");
  S().TABTESTI[kKeyEntry] = "0000500000";
  EXPECT_EQ(editor.PRENDIN(definition("Importo", 5, '3', 1)), "0.005 ");
  // Texts and dates as stored.
  S().TABTESTI[kKeyEntry] = "AB C010199";
  EXPECT_EQ(editor.PRENDIN(definition("Nome", 4, 'A', 1)), "AB C");
  EXPECT_EQ(editor.PRENDIN(definition("Data", 6, 'D', 5)), "010199");
  // A field that runs past the key is blank-filled.
  EXPECT_EQ(editor.PRENDIN(definition("Nome", 4, 'A', 9)), "99  ");
}

TEST_F(FieldEditorTest, AnAlphanumericFieldTakesUpperCaseAndItsSigns_AndOverwritesInPlace) {
  loadSingle("ABCD", 4, 'A');
  EXPECT_EQ(shown(0), "ABCD ");
  typeAt(0, 0, "X");
  EXPECT_EQ(editor.BUFCAMPO[1], "XBCD") << "typing at the start does not clear a text";
  EXPECT_EQ(caret(0), 1);
  type(0, "/\x9C");
  EXPECT_EQ(editor.BUFCAMPO[1], "X/\x9C" "D");
  type(0, "%");
  EXPECT_EQ(editor.BUFCAMPO[1], "X/\x9C%");
  EXPECT_EQ(caret(0), 3);
  EXPECT_EQ(dialogs.beeps(), 0);

  for (int code : std::initializer_list<int>{'a', 'z', ',', ';', 0xE0}) editor.keyPress(0, code);
  EXPECT_EQ(dialogs.beeps(), 5);
  EXPECT_EQ(editor.BUFCAMPO[1], "X/\x9C%");

  editor.MUOVIN(0);
  EXPECT_EQ(key(), "X/\x9C%");
  std::string accepted = kClassAlpha;
  EXPECT_EQ(accepted.size(), 54u);
  EXPECT_EQ(std::count(accepted.begin(), accepted.end(), '/'), 2);
}

TEST_F(FieldEditorTest, ADateFieldTakesDigitsInPlace_AndIsCommittedAsTyped) {
  loadSingle("010199", 6, 'D');
  EXPECT_EQ(shown(0), "010199 ");
  typeAt(0, 0, "3");
  EXPECT_EQ(editor.BUFCAMPO[1], "310199");
  typeAt(0, 4, "05");
  EXPECT_EQ(editor.BUFCAMPO[1], "310105");
  EXPECT_EQ(caret(0), 5);
  editor.keyPress(0, '/');
  editor.keyPress(0, 'A');
  EXPECT_EQ(dialogs.beeps(), 2);
  editor.MUOVIN(0);
  EXPECT_EQ(key(), "310105");
}

TEST_F(FieldEditorTest, ANumberWithDecimalsKeepsToItsWholeAndDecimalDigits) {
  // Five digits, two of them decimals: at most 999.99.
  loadSingle("00000", 5, '2');
  EXPECT_EQ(shown(0), "0.00   ");
  type(0, "123.45");
  EXPECT_EQ(editor.BUFCAMPO[1], "123.45");
  EXPECT_EQ(caret(0), 5);
  EXPECT_EQ(dialogs.beeps(), 0);
  editor.MUOVIN(0);
  EXPECT_EQ(key(), "12345");

  // A fourth whole digit, a second point and a third decimal are refused.
  typeAt(0, 0, "1234");
  EXPECT_EQ(editor.BUFCAMPO[1], "123   ");
  EXPECT_EQ(dialogs.beeps(), 1);
  type(0, ".5.");
  EXPECT_EQ(editor.BUFCAMPO[1], "123.5 ");
  EXPECT_EQ(dialogs.beeps(), 2);
  type(0, "67");
  EXPECT_EQ(editor.BUFCAMPO[1], "123.57") << "the last position is overwritten";
  EXPECT_EQ(dialogs.beeps(), 2);
  typeAt(0, 0, "1.234");
  EXPECT_EQ(editor.BUFCAMPO[1], "1.23  ");
  EXPECT_EQ(dialogs.beeps(), 3);

  typeAt(0, 0, ".5");
  editor.MUOVIN(0);
  EXPECT_EQ(key(), "00050");
  typeAt(0, 0, "7");
  editor.MUOVIN(0);
  EXPECT_EQ(key(), "00700");
  editor.keyPress(0, 'A');
  EXPECT_EQ(dialogs.beeps(), 4);
}

TEST_F(FieldEditorTest, EachStepRecordsItsNameInTheTrail) {
  loadEmployeeCode("0000000000");
  EXPECT_EQ(S().ULTIMEPROC[S().POSPROC], "PRENDIN$");
  editor.keyPress(0, '1');
  EXPECT_EQ(S().ULTIMEPROC[S().POSPROC - 1], "CX_KEYPRESS");
  EXPECT_EQ(S().ULTIMEPROC[S().POSPROC], "TESTON");
  editor.MUOVIN(0);
  EXPECT_EQ(S().ULTIMEPROC[S().POSPROC], "MUOVIN");
}

TEST_F(FieldEditorTest, AKeyForABoxThatDoesNotExistGoesToTheErrorTrap) {
  loadEmployeeCode("0000000000");
  EXPECT_THROW(editor.keyPress(3, '1'), ProgramEnded);
  ASSERT_FALSE(dialogs.boxes().empty());
  EXPECT_EQ(dialogs.boxes().front().text.substr(0, 9), "Errore 9 ");
  EXPECT_NE(dialogs.boxes().front().text.find("CX_KEYPRESS"), std::string::npos);
}

}  // namespace
}  // namespace vt
