// The field input editor: what a box holds, where its caret stands and what
// reaches the key string after the keys of each row.
#include "ui/field_editor.h"

#include <gtest/gtest.h>

#include <cctype>

#include "scripted_dialogs.h"
#include "temp_install.h"
#include "util/text.h"

namespace vt {
namespace {

struct Keys {
  char type;          // the field's type: N, A, D or the number of decimals
  int length;
  std::string key;    // the key string the field starts from (the field at its start)
  int caret;          // where the caret stands before the keys
  std::string keys;   // typed; \x01 and \x02 are Left and Right
  std::string buffer;
  int caretAfter;
  int beeps;
  std::string committed;  // the key string after the commit
};

const Keys kRows[] = {
    {'N', 3, "000", 0, "12", "12 ", 2, 0, "012"},
    {'N', 3, "000", 0, "1234", "124", 2, 0, "124"},           // the last position is overwritten
    {'N', 3, "123", 0, "7", "7  ", 1, 0, "007"},              // the first digit replaces the value
    {'N', 3, "123", 1, "7", "173", 2, 0, "173"},
    {'N', 3, "123", 3, "9", "123", 3, 0, "123"},              // on the blank after the field: dropped
    {'N', 3, "123", 2, "\b", "1 3", 1, 0, "013"},             // Backspace blanks left of the caret
    {'N', 3, "123", 4, "\b", "123", 3, 0, "123"},             // after the trailing blank: only moves back
    {'N', 3, "000", 0, "\b", "0  ", 0, 1, "000"},
    {'N', 3, "123", 2, "\x7f", "   ", 0, 0, "000"},           // Ctrl+Backspace blanks the field
    {'N', 3, "000", 0, "\r", "0  ", 0, 0, "000"},             // Enter at the start does nothing
    {'N', 3, "000", 0, "12a .", "12 ", 2, 3, "012"},
    {'N', 3, "123", 0, "\x02\x02\x02\x02\x01", "123", 2, 0, "123"},  // Right stops after the field
    {'N', 1, "5", 0, "\x02\x02\x01" "8", "8", 0, 0, "8"},
    {'2', 5, "00000", 0, "123.45", "123.45", 5, 0, "12345"},
    {'2', 5, "00000", 0, "1.2.", "1.2   ", 3, 1, "00120"},      // one point at most
    {'2', 5, "00000", 0, "1234", "123   ", 3, 1, "12300"},      // three whole digits at most
    {'A', 4, "ABCD", 0, "X/a", "X/CD", 2, 1, "X/CD"},         // a text is corrected in place
    {'D', 6, "010199", 4, "05", "010105", 5, 0, "010105"},
};

void PrintTo(const Keys& row, std::ostream* out) {
  *out << row.type << row.length << " " << row.key << " at " << row.caret << " ";
  for (char c : row.keys) *out << (std::isprint(c) ? std::string(1, c) : "<" + std::to_string(int{c}) + ">");
}

class FieldEditorKeys : public ::testing::TestWithParam<Keys> {};

TEST_P(FieldEditorKeys, LeaveTheBufferCaretAndKeyOfTheRow) {
  const Keys& row = GetParam();
  testing::TempFolder folder;
  testing::ScriptedDialogs dialogs;
  FieldEditor editor;
  S().TABTESTI[kTextKey] = row.key;
  editor.loadField(1, "---Campo                  ---" + zeroPad(std::to_string(row.length), 2) + row.type +
                          "-0000000--000-00000001" + std::string(23, '-'));
  editor.setCaret(0, row.caret);
  for (char c : row.keys) {
    if (c == '\x01' || c == '\x02') {
      editor.arrowKey(0, c == '\x01' ? kKeyLeft : kKeyRight);
    } else {
      editor.keyPress(0, static_cast<unsigned char>(c));
    }
  }
  EXPECT_EQ(editor.BUFCAMPO[1], row.buffer);
  EXPECT_EQ(editor.box(0).text, row.buffer + " ");
  EXPECT_EQ(editor.box(0).caret, row.caretAfter);
  EXPECT_EQ(dialogs.beeps(), row.beeps);
  editor.MUOVIN(0);
  EXPECT_EQ(S().TABTESTI[kTextKey], row.committed);
}

INSTANTIATE_TEST_SUITE_P(Rows, FieldEditorKeys, ::testing::ValuesIn(kRows));

}  // namespace
}  // namespace vt
