#include "ui/field_editor.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "core/dialogs.h"
#include "core/trail.h"
#include "util/text.h"

namespace vt {
namespace {

std::int16_t& param(int entry) { return S().TABPARAM[entry]; }

void setParam(int entry, int value) { S().TABPARAM[entry] = static_cast<std::int16_t>(value); }

std::string blanks(int count) { return std::string(static_cast<std::size_t>(std::max(count, 0)), ' '); }

bool inClass(const FieldFormat& format, int key) {
  if (key <= 0 || key > 255) return false;
  std::string_view accepted = characterClass(format);
  return accepted.find(static_cast<char>(key)) != std::string_view::npos;
}

// Typing at the start of these fields replaces the whole value.
bool clearsAtStart(const FieldFormat& format) {
  return format.kind == FieldFormat::Kind::kInteger || format.kind == FieldFormat::Kind::kDecimal;
}

// True when `buffer` reads as a number of at most L - d whole digits and d
// decimals, with at most one point (blanks are skipped, as when it is read).
bool fitsDecimal(const std::string& buffer, const FieldFormat& format) {
  int whole = 0;
  int fraction = 0;
  int points = 0;
  for (char c : buffer) {
    if (c == ' ') continue;
    if (c == '.') {
      ++points;
    } else if (points == 0) {
      ++whole;
    } else {
      ++fraction;
    }
  }
  return points <= 1 && whole <= format.length - format.decimals && fraction <= format.decimals;
}

// The display text of a number stored with `decimals` implied decimals.
std::string decimalDisplay(double stored, int decimals) {
  std::string sign = stored < 0 ? "-" : "";
  std::string digits = std::to_string(std::llround(std::fabs(stored)));
  auto d = static_cast<std::size_t>(decimals);
  if (digits.size() <= d) digits = zeroPad(digits, d + 1);
  return sign + digits.substr(0, digits.size() - d) + "." + digits.substr(digits.size() - d);
}

}  // namespace

FieldFormat fieldFormat(const std::string& definition) {
  FieldFormat format;
  format.length = std::max(0, static_cast<int>(VAL(MID(definition, kDefLengthPos, kDefLengthWidth))));
  format.start = std::max(0, static_cast<int>(VAL(MID(definition, kDefStartPos, kDefStartWidth))));
  std::string type = MID(definition, kDefTypePos, 1);
  char t = type.empty() ? ' ' : type.front();
  if (t == 'A') {
    format.kind = FieldFormat::Kind::kAlpha;
  } else if (t == 'N') {
    format.kind = FieldFormat::Kind::kInteger;
  } else if (t == 'D') {
    format.kind = FieldFormat::Kind::kDate;
  } else if (t >= '1' && t <= '9') {
    format.kind = FieldFormat::Kind::kDecimal;
    format.decimals = t - '0';
  }
  return format;
}

const char* characterClass(const FieldFormat& format) {
  switch (format.kind) {
    case FieldFormat::Kind::kAlpha: return kClassAlpha;
    case FieldFormat::Kind::kInteger:
    case FieldFormat::Kind::kDate: return kClassDigits;
    case FieldFormat::Kind::kDecimal: return kClassDecimal;
    case FieldFormat::Kind::kUnknown: break;
  }
  return "";
}

// --- Boxes ---------------------------------------------------------------------

FieldBox& FieldEditor::boxAt(int i) { return boxes_[i]; }

const FieldBox& FieldEditor::box(int i) const { return boxes_[i]; }

void FieldEditor::setCaret(int i, int caret) {
  FieldBox& b = boxAt(i);
  b.caret = std::clamp(caret, 0, static_cast<int>(b.text.size()));
}

void FieldEditor::boxEdited(int i, const std::string& text) {
  FieldBox& b = boxAt(i);
  b.text = text;
  if (param(kParamRedisplay) == 1) {
    setCaret(i, b.caret);
    return;
  }
  // The box is a view of the buffer: whatever it did by itself is undone.
  b.text = BUFCAMPO[i + 1] + " ";
  setCaret(i, param(kParamCaret));
}

void FieldEditor::writeBox(int i, const std::string& text) {
  boxAt(i).caret = 0;
  boxEdited(i, text);
}

void FieldEditor::loadField(int n, const std::string& definition) {
  DEFCAMPO[n] = definition;
  BUFCAMPO[n] = PRENDIN(definition);
  writeBox(n - 1, BUFCAMPO[n] + " ");
}

// --- Key string ----------------------------------------------------------------

std::string FieldEditor::PRENDIN(const std::string& definition) {
  REGISTRAPROC("PRENDIN$");
  FieldFormat format = fieldFormat(definition);
  return guardedValue(
      [&]() -> std::string {
        std::string raw =
            fitRight(MID(S().TABTESTI[kTextKey], static_cast<std::size_t>(format.start),
                         static_cast<std::size_t>(format.length)),
                     static_cast<std::size_t>(format.length));
        std::string text;
        switch (format.kind) {
          case FieldFormat::Kind::kAlpha:
          // A date keeps its leading zeros: the digits are shown as stored.
          case FieldFormat::Kind::kDate: text = raw; break;
          case FieldFormat::Kind::kDecimal: text = decimalDisplay(VAL(raw), format.decimals); break;
          case FieldFormat::Kind::kInteger:
          case FieldFormat::Kind::kUnknown: text = decimalText(VAL(raw)); break;
        }
        return fitRight(text, static_cast<std::size_t>(format.width()));
      },
      blanks(format.width()));
}

void FieldEditor::MUOVIN(int i) {
  REGISTRAPROC("MUOVIN");
  guarded([&] {
    int n = i + 1;
    FieldFormat format = fieldFormat(DEFCAMPO[n]);
    auto length = static_cast<std::size_t>(format.length);
    std::string value = BUFCAMPO[n];
    switch (format.kind) {
      case FieldFormat::Kind::kInteger: value = zeroPad(decimalText(VAL(value)), length); break;
      case FieldFormat::Kind::kDecimal:
        value = zeroPad(std::to_string(std::llround(VAL(value) * std::pow(10.0, format.decimals))), length);
        break;
      case FieldFormat::Kind::kAlpha:
      case FieldFormat::Kind::kDate:
      case FieldFormat::Kind::kUnknown: value = fitRight(value, length); break;
    }
    overwrite(S().TABTESTI[kTextKey], static_cast<std::size_t>(format.start), value);
  });
}

// --- Keys ------------------------------------------------------------------------

int FieldEditor::TESTON(int i, int key, int mode) {
  REGISTRAPROC("TESTON");
  return guardedValue(
      [&]() -> int {
        setParam(kParamEditing, 1);
        setParam(kParamTypingStarted, 1);
        int c = param(kParamCaret);
        int n = i + 1;
        FieldFormat format = fieldFormat(DEFCAMPO[n]);
        if (key == kCharBackspace && c == 0) key = kCharNoClass;
        bool caretKey = mode == kFromKeyDown && (key == kKeyLeft || key == kKeyRight);
        if (!caretKey && key != kCharBackspace && !inClass(format, key)) {
          dialogs().beep();
          return kDone;
        }
        if (key == kCharBackspace) {
          // Blanks the character left of the caret; past the buffer's end
          // there is nothing to blank and only the caret moves back.
          std::string buffer = BUFCAMPO[n];
          overwrite(buffer, static_cast<std::size_t>(c), " ");
          // Blanking the point of a number with decimals would join its whole
          // digits and decimals into a number too long for the key: refused
          // like a character that does not fit.
          if (format.kind == FieldFormat::Kind::kDecimal && !fitsDecimal(buffer, format)) {
            dialogs().beep();
            return kDone;
          }
          BUFCAMPO[n] = buffer;
          setParam(kParamCaret, std::max(0, c - 1));
          return kDone;
        }
        if (caretKey) return moveCaret(i, format, key, c);
        return typeCharacter(i, format, key, c);
      },
      kDone);
}

int FieldEditor::moveCaret(int i, const FieldFormat& format, int key, int c) {
  if (key == kKeyRight && format.width() == 1) {
    boxAt(i).caret = 0;
    return kDone;
  }
  if (c + 1 > format.width()) {
    endOfField(i, format, key, c);
    return kDone;
  }
  return kCaretKey;
}

int FieldEditor::typeCharacter(int i, const FieldFormat& format, int key, int c) {
  int n = i + 1;
  int width = format.width();
  std::string buffer = fitRight(BUFCAMPO[n], static_cast<std::size_t>(width));
  if (clearsAtStart(format) && c == 0) buffer = blanks(width);
  if (c + 1 > width) {
    endOfField(i, format, key, c);
    return kDone;
  }
  buffer[static_cast<std::size_t>(c)] = static_cast<char>(key);
  if (format.kind == FieldFormat::Kind::kDecimal && !fitsDecimal(buffer, format)) {
    dialogs().beep();
    return kDone;
  }
  BUFCAMPO[n] = buffer;
  if (c + 2 > width) {
    endOfField(i, format, key, c);
    return kDone;
  }
  return kStored;
}

void FieldEditor::endOfField(int i, const FieldFormat& format, int key, int c) {
  // Placed before the box applies its own movement, so that Right leaves
  // the caret just after the field; after a character the rewrite puts the
  // caret back at TABPARAM(kParamCaret).
  if (key != kKeyLeft && format.width() != 1) setCaret(i, c - 1);
}

void FieldEditor::keyPress(int i, int code) {
  REGISTRAPROC("CX_KEYPRESS");
  guarded([&] {
    setParam(kParamCurrentBox, i);
    FieldBox& b = boxAt(i);
    if (b.caret == 0 && code == kCharEnter) return;
    if (code == kCharCtrlBackspace) {
      BUFCAMPO[i + 1] = blanks(static_cast<int>(BUFCAMPO[i + 1].size()));
      setParam(kParamCaret, 0);
      boxEdited(i, "");
      return;
    }
    setParam(kParamCaret, b.caret);
    int result = TESTON(i, code, kFromCharacter);
    if (result != kDone && result != kCaretKey) setParam(kParamCaret, param(kParamCaret) + 1);
    // The box took the character itself; the rewrite shows the buffer.
    boxEdited(i, b.text);
  });
}

void FieldEditor::arrowKey(int i, int key) {
  FieldBox& b = boxAt(i);
  setParam(kParamCaret, b.caret);
  int result = TESTON(i, key, kFromKeyDown);
  if (result != kDone && result != kCaretKey) setParam(kParamCaret, param(kParamCaret) + 1);
  // The box's own caret movement.
  setCaret(i, key == kKeyLeft ? b.caret - 1 : b.caret + 1);
}

void FieldEditor::redisplay(int i) {
  if (param(kParamTypingStarted) != 1) return;
  setParam(kParamRedisplay, 1);
  setParam(kParamCaret, 0);
  BUFCAMPO[i + 1] = PRENDIN(DEFCAMPO[i + 1]);
  writeBox(i, BUFCAMPO[i + 1] + " ");
  setParam(kParamRedisplay, 0);
}

}  // namespace vt
