// The field input editor of the key change dialog: each input box is a
// fixed-width, overwrite-mode view of an edit buffer, whose width, type and
// place in the key string come from the field's definition string.
//
// Field definition (DEFCAMPO), 77 characters, positions 1-based:
//
//   pos    width  content
//    1- 3    3    separator "---"
//    4-26   23    field name, left-aligned, blank-filled (the label shows 4-13)
//   27-29    3    separator "---"
//   30-31    2    field length L in characters, decimal
//   32       1    type: "A" alphanumeric, "N" integer, "D" date, a digit
//                 d from 1 to 9: a number with d decimals
//   33-50   18    not read by this program
//   51-54    4    start position P of the field in the key string, decimal
//   55-77   23    not read by this program
//
// The key string is TABTESTI entry 50. The edit buffer of field n (BUFCAMPO)
// holds L characters (L + 1 for a type with decimals: the point); box n - 1
// always shows the buffer followed by one blank.
//
// The editor keeps its working values where the dialog reads them, in
// TABPARAM: 10 the redisplay flag, 11 the caret of the box being edited,
// 13 the editing flag, 18 the typing-started flag, 20 the current box.
//
// Typing rules, by type (c = caret, 0-based; W = buffer width):
//   "N"  the first digit typed at the start clears the field; digits fill it
//        left to right; once the last position is written the caret stays
//        on it and further digits overwrite it; a digit on the blank after
//        the field is dropped.
//   "A", "D"  as "N" but typing at the start does not clear the field, so a
//        single character of a text or a date can be corrected in place.
//   d decimals  as "N" (the first character at the start clears the field),
//        and a character is refused with the beep when the buffer would no
//        longer read as a number of at most L - d whole digits and d decimals
//        with one point: the value always fits the key's L digits. For the
//        same reason Backspace on the point beeps and changes nothing when
//        the digits on either side would no longer fit.
// In every type Backspace blanks the character left of the caret, Ctrl+
// Backspace (character 127) blanks the whole field, and a character outside
// the type's class beeps and changes nothing.
#pragma once

#include <cstddef>
#include <string>

#include "core/state.h"

namespace vt {

// --- Field definition layout ------------------------------------------------
inline constexpr std::size_t kFieldDefinitionLength = 77;
inline constexpr std::size_t kDefNamePos = 4;
inline constexpr std::size_t kDefLabelLength = 10;
inline constexpr std::size_t kDefLengthPos = 30;
inline constexpr std::size_t kDefLengthWidth = 2;
inline constexpr std::size_t kDefTypePos = 32;
inline constexpr std::size_t kDefStartPos = 51;
inline constexpr std::size_t kDefStartWidth = 4;

// --- Key and character codes -------------------------------------------------
inline constexpr int kCharBackspace = 8;
inline constexpr int kCharEnter = 13;
inline constexpr int kCharEscape = 27;
inline constexpr int kCharCtrlBackspace = 127;
// Backspace at the start of a field is treated as this code, in no class.
inline constexpr int kCharNoClass = 219;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyRight = 39;
inline constexpr int kKeyDown = 40;
inline constexpr int kKeyF1 = 112;
inline constexpr int kKeyEscape = 27;

// TESTON modes: where the key comes from.
inline constexpr int kFromKeyDown = 0;    // only Left and Right arrive this way
inline constexpr int kFromCharacter = 1;  // a typed character code
// TESTON results.
inline constexpr int kStored = 0;     // the character was stored: the caret advances
inline constexpr int kDone = 1;       // nothing more to do
inline constexpr int kCaretKey = 2;   // caret key handled: the box's own movement stands

// The characters each type accepts. The alphanumeric class holds the
// character of code 156 and the slash twice, as the suite's editor has it.
inline constexpr const char* kClassAlpha = " QWERTYUIOPASDFGHJKLZXCVBNM.-><!\x9C$%&/()=?/*+1234567890";
inline constexpr const char* kClassDigits = "1234567890";
inline constexpr const char* kClassDecimal = "1234567890.";

// What a field's definition says, read out of its 77 characters.
struct FieldFormat {
  enum class Kind { kAlpha, kInteger, kDate, kDecimal, kUnknown };
  Kind kind = Kind::kUnknown;
  int length = 0;     // L
  int decimals = 0;   // d, for kDecimal
  int start = 0;      // P, 1-based position in the key string
  // Characters of the edit buffer: L, or L + 1 with decimals.
  int width() const { return kind == Kind::kDecimal ? length + 1 : length; }
};
FieldFormat fieldFormat(const std::string& definition);

// The characters a field of `format` accepts when typed.
const char* characterClass(const FieldFormat& format);

// An input box as the editor sees it: its text and its caret (0-based).
struct FieldBox {
  std::string text;
  int caret = 0;
};

class FieldEditor {
 public:
  static constexpr int kFieldCount = 3;

  // Definitions and edit buffers of fields 1 to 3.
  Table<std::string, 1, kFieldCount> DEFCAMPO;
  Table<std::string, 1, kFieldCount> BUFCAMPO;

  // Field n gets `definition`, its buffer is taken from the key, and box
  // n - 1 shows it. The caller holds the redisplay flag while it loads.
  void loadField(int n, const std::string& definition);

  // The text and caret of box i (0 to 2), as the window shows them.
  const FieldBox& box(int i) const;

  // The box's own caret movement (Home, End, a click, a focus change):
  // the caret is read from the box before each key. Clamped to the text.
  void setCaret(int i, int caret);

  // The box's own text edit (Delete, paste, cut, typing over): the box now
  // holds `text`, and unless the redisplay flag is set it is rewritten at
  // once as its buffer and one blank, with the caret at TABPARAM(kParamCaret).
  void boxEdited(int i, const std::string& text);

  // Writes `text` into box i as the program does (field loading,
  // redisplay): the caret goes to 0 and the rewrite rule applies unless
  // the redisplay flag is set.
  void writeBox(int i, const std::string& text);

  // PRENDIN$: the value of the field of `definition` taken from the key
  // string, as display text of the buffer's width. Trail "PRENDIN$".
  std::string PRENDIN(const std::string& definition);

  // MUOVIN: commits the buffer of box i into the key string; always
  // succeeds. Numbers are written right-aligned and zero-padded (decimals
  // as implied digits), texts and dates as they are. Trail "MUOVIN".
  void MUOVIN(int i);

  // TESTON: processes one key for box i; mode kFromKeyDown (Left, Right)
  // or kFromCharacter. Returns kStored, kDone or kCaretKey. A character
  // outside the field's class beeps and changes nothing. Trail "TESTON".
  int TESTON(int i, int key, int mode);

  // The character handler of box i: one typed character code, read with
  // the box's caret; afterwards the box shows its buffer again with the
  // caret at TABPARAM(kParamCaret). Trail "CX_KEYPRESS".
  void keyPress(int i, int code);

  // Left or Right in box i, from the box's key-down handler: the editor's
  // rule, then the box's own caret movement. (The key-down handler records
  // its trail name.)
  void arrowKey(int i, int key);

  // Redisplay of box i from the key, once typing has started: an edit that
  // was not committed is lost; the caret goes to 0.
  void redisplay(int i);

 private:
  // Fields counted from 1, boxes from 0.
  FieldBox& boxAt(int i);
  // The end-of-field step of a field of `format` for `key` at caret c.
  void endOfField(int i, const FieldFormat& format, int key, int c);
  int typeCharacter(int i, const FieldFormat& format, int key, int c);
  int moveCaret(int i, const FieldFormat& format, int key, int c);

  Table<FieldBox, 0, kFieldCount - 1> boxes_;
};

}  // namespace vt
