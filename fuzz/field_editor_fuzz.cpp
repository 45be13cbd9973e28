// Key sequences into the field editor of the key change dialog, for its three
// fields and for fields of every type and length: whatever is typed, the edit
// buffer keeps its width and holds only characters of the field's class (and
// blanks), a number field always reads as a number that fits its digits, the
// caret stays inside the box, and committing a field writes exactly its L
// characters into the key (digits for a number) and nothing around them.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "ui/field_editor.h"
#include "ui/key_change.h"
#include "util/text.h"

namespace {

using namespace vt;

// Stops the run, naming the rule broken, when `condition` does not hold.
#define check(condition) ((condition) ? void() : (std::fprintf(stderr, "broken: %s\n", #condition), std::abort()))

// A definition of a field of `length` characters of `type` at `start`.
std::string definition(int length, char type, int start) {
  std::string text(kFieldDefinitionLength, '-');
  overwrite(text, kDefLengthPos, zeroPad(std::to_string(length), kDefLengthWidth));
  overwrite(text, kDefTypePos, std::string(1, type));
  overwrite(text, kDefStartPos, zeroPad(std::to_string(start), kDefStartWidth));
  return text;
}

bool readsAsFittingNumber(const std::string& buffer, const FieldFormat& format) {
  int whole = 0, fraction = 0, points = 0;
  for (char c : buffer) {
    if (c == '.') {
      ++points;
    } else if (c != ' ') {
      (points == 0 ? whole : fraction)++;
    }
  }
  return points <= 1 && whole <= format.length - format.decimals && fraction <= format.decimals;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::freshRun();
  fuzz::Input in(data, size);
  FieldEditor editor;
  S().TABTESTI[kTextKey] = "0010010001" + std::string(20, '7');
  const std::string keyBefore = S().TABTESTI[kTextKey];
  // The key's characters from `end` on belong to no field.
  std::size_t end = 10;
  if (in.byte() % 2 == 0) {
    for (int n = 1; n <= FieldEditor::kFieldCount; ++n) editor.loadField(n, Codnuo::kDefinitions[n - 1]);
  } else {
    constexpr char kTypes[] = "ANDN123456789";
    int start = 1;
    for (int n = 1; n <= FieldEditor::kFieldCount; ++n) {
      int length = in.byte() % 9 + 1;
      const char type = kTypes[in.byte() % 13];
      // A number field has room for its decimals and one whole digit.
      if (type >= '1' && type <= '9') length = std::max(length, type - '0' + 1);
      editor.loadField(n, definition(length, type, start));
      start += length;
    }
    end = static_cast<std::size_t>(start - 1);
  }
  while (!in.empty()) {
    const std::uint8_t op = in.byte();
    const int i = op % FieldEditor::kFieldCount;
    const std::uint8_t value = in.byte();
    switch (op / FieldEditor::kFieldCount % 6) {
      case 0:
      case 1: editor.keyPress(i, value); break;
      case 2: editor.arrowKey(i, value % 2 == 0 ? kKeyLeft : kKeyRight); break;
      case 3: editor.setCaret(i, value % 16 - 2); break;
      case 4: editor.MUOVIN(i); break;
      default: editor.boxEdited(i, in.take(value % 12)); break;
    }
    const FieldFormat format = fieldFormat(editor.DEFCAMPO[i + 1]);
    const std::string& buffer = editor.BUFCAMPO[i + 1];
    const FieldBox& box = editor.box(i);
    check(buffer.size() == static_cast<std::size_t>(format.width()));
    check(box.text == buffer + " ");
    check(box.caret >= 0 && box.caret <= static_cast<int>(box.text.size()));
    const std::string accepted = std::string(characterClass(format)) + " ";
    check(std::all_of(buffer.begin(), buffer.end(), [&](char c) { return accepted.find(c) != std::string::npos; }));
    if (format.kind == FieldFormat::Kind::kDecimal) check(readsAsFittingNumber(buffer, format));
    const std::string& key = S().TABTESTI[kTextKey];
    check(key.size() == keyBefore.size());
    const std::string field = MID(key, static_cast<std::size_t>(format.start), static_cast<std::size_t>(format.length));
    check(field.size() == static_cast<std::size_t>(format.length));
    const bool number = format.kind == FieldFormat::Kind::kInteger || format.kind == FieldFormat::Kind::kDecimal;
    if (number) check(std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; }));
    check(key.substr(end) == keyBefore.substr(end));
  }
  return 0;
}
