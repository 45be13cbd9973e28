#include "ui/key_change.h"

#include <algorithm>

#include "core/dialogs.h"
#include "core/state.h"
#include "core/trail.h"
#include "records/file_numbers.h"
#include "records/isam.h"
#include "records/records.h"
#include "records/semaphore.h"
#include "repository/descriptors.h"
#include "repository/repository.h"
#include "util/text.h"

namespace vt {
namespace {

void setParam(int entry, int value) { S().TABPARAM[entry] = static_cast<std::int16_t>(value); }

std::string& keyString() { return S().TABTESTI[kTextKey]; }

// A part of the key from the digits a list item begins with: its numeric
// value, right-aligned and zero-padded.
std::string keyPart(const std::string& shown, std::size_t width) {
  return zeroPad(decimalText(VAL(shown)), width);
}

}  // namespace

std::string Codnuo::key() const { return S().TABTESTI[kTextKey]; }

// --- Loading -------------------------------------------------------------------

void Codnuo::load() {
  centre(kWidth, kHeight, dialogs().screenSize());
  keyString() = kEmptyKey;
  CARICAN();
  CARDITN();
  focusBox(0);
}

void Codnuo::CARICAN() {
  REGISTRAPROC("CARICAN");
  guarded([&] {
    setParam(kParamEditing, 1);
    setParam(kParamRedisplay, 1);
    for (int n = 1; n <= kBoxes; ++n) {
      const std::string definition = kDefinitions.at(static_cast<std::size_t>(n - 1));
      editor_.loadField(n, definition);
      labels_.at(static_cast<std::size_t>(n - 1)) = " " + MID(definition, kDefNamePos, kDefLabelLength);
    }
    setParam(kParamEditing, 0);
    setParam(kParamRedisplay, 0);
  });
  changed();
}

void Codnuo::CARDITN() {
  REGISTRAPROC("CARDITN");
  guarded([&] {
    State& s = S();
    s.TABFLAG[kFlagLeftBrowser] = 0;
    companies_.clear();
    selected_ = -1;
    for (int code = 1; code <= kLastCompanyCode; ++code) {
      if (LEGGIREC(kUserCompanyFile, code) == 1) break;
      s.DITX = s.BUFFERREC[kUserCompanyFile];
      if (RepoRNum(T261) == kFreeRecordStatus) continue;
      companies_.push_back(RepoR(T001) + " " + RepoR(T002) + " ");
    }
  });
  changed();
}

// --- Focus and labels ------------------------------------------------------------

void Codnuo::ACCENDIN(int i) {
  colours_.at(static_cast<std::size_t>(i)) = {kColourBlack, kColourBrightWhite};
  changed();
}

void Codnuo::SPEGNIN(int i) {
  colours_.at(static_cast<std::size_t>(std::max(i, 0))) = {kColourBrightWhite, kColourBlack};
  changed();
}

void Codnuo::leaveFocus() {
  // The focus is gone before the label goes dark: a view shown in between
  // must not put it back in the box.
  const int left = focus_ == Focus::kBox ? focusedBox_ : -1;
  focus_ = Focus::kNone;
  focusedBox_ = -1;
  if (left >= 0) SPEGNIN(left);
}

void Codnuo::focusBox(int i) {
  if (isClosed()) return;
  if (focus_ == Focus::kBox && focusedBox_ == i) return;
  leaveFocus();
  focus_ = Focus::kBox;
  focusedBox_ = i;
  defaultButtonVisible_ = true;
  setParam(kParamCurrentBox, i);
  editor_.setCaret(i, 0);
  ACCENDIN(i);
  setParam(kParamEditing, 1);
  changed();
}

void Codnuo::focusList() {
  if (isClosed() || focus_ == Focus::kList) return;
  leaveFocus();
  focus_ = Focus::kList;
  defaultButtonVisible_ = false;
  setParam(kParamEditing, 0);
  changed();
}

void Codnuo::boxFocused(int i) {
  if (i < 0 || i >= kBoxes) return;
  focusBox(i);
}

void Codnuo::listFocused() { focusList(); }

void Codnuo::otherFocused() {
  if (isClosed()) return;
  leaveFocus();
  // Enter on a focused button is that button's: Command1 takes Enter only
  // while a box has the focus.
  defaultButtonVisible_ = false;
  changed();
}

void Codnuo::labelClick(int i) {
  if (isClosed() || i < 0 || i >= kBoxes) return;
  editor_.setCaret(i, 0);
  focusBox(i);
  changed();
}

// --- Keys of the boxes -------------------------------------------------------------

bool Codnuo::boxKeyDown(int i, int key, int shift) {
  if (isClosed()) return true;
  REGISTRAPROC("CX_KEYDOWN");
  if (shift == kShiftOnly) return false;
  bool handled = false;
  guarded([&] {
    switch (key) {
      case kKeyF1:
        if (i == 0) {
          focusList();
          handled = true;
        }
        break;
      case kKeyUp:
      case kKeyDown:
        editor_.redisplay(i);
        focusBox((i + (key == kKeyUp ? kBoxes - 1 : 1)) % kBoxes);
        handled = true;
        break;
      case kKeyEscape:
        if (editor_.box(i).caret != 0) editor_.redisplay(i);
        setParam(kParamEditing, 0);
        leave();
        handled = true;
        break;
      case kKeyLeft:
      case kKeyRight:
        editor_.arrowKey(i, key);
        handled = true;
        break;
      default: break;
    }
  });
  changed();
  return handled;
}

void Codnuo::boxKeyPress(int i, int code) {
  if (isClosed()) return;
  editor_.keyPress(i, code);
  changed();
}

void Codnuo::boxEdited(int i, const std::string& text) {
  if (isClosed()) return;
  editor_.boxEdited(i, text);
  changed();
}

void Codnuo::boxCaretMoved(int i, int caret) {
  if (isClosed()) return;
  editor_.setCaret(i, caret);
}

void Codnuo::commandClick() {
  if (isClosed()) return;
  REGISTRAPROC("COMMAND1_CLICK");
  guarded([&] {
    const State& s = S();
    const int current = s.TABPARAM[kParamCurrentBox];
    int target = current + 1;
    bool checkDue = false;
    if (s.TABPARAM[kParamTypingStarted] == 1) {
      if (s.TABPARAM[kParamEditing] != 1) return;
      editor_.MUOVIN(current);
      checkDue = current == kBoxes - 1;
    }
    switch (s.TABPARAM[kParamCheckMode]) {
      case 1: checkDue = true; break;
      case 2: checkDue = checkDue || target >= kBoxes - 1; break;
      default: break;
    }
    if (checkDue) {
      VERIFN();
    } else {
      focusBox(target >= kBoxes ? 0 : target);
    }
  });
  changed();
}

// --- The companies list ---------------------------------------------------------

void Codnuo::listSelect(int index) {
  if (isClosed()) return;
  selected_ = index >= 0 && index < static_cast<int>(companies_.size()) ? index : -1;
}

void Codnuo::listMove(ListMove move, int pageRows) {
  if (isClosed()) return;
  selected_ = landingLine(move, selected_, static_cast<int>(companies_.size()), pageRows);
  changed();
}

void Codnuo::listKeyPress(int code) {
  if (isClosed()) return;
  if (code == kCharEnter) {
    pickCompany();
  } else if (code == kCharEscape) {
    leave();
  }
}

void Codnuo::listDoubleClick() {
  if (isClosed()) return;
  pickCompany();
}

void Codnuo::pickCompany() {
  if (selected_ >= 0) {
    // The company code the item begins with, as the key's three digits.
    const std::string& item = companies_.at(static_cast<std::size_t>(selected_));
    overwrite(keyString(), kCompanyPos, keyPart(LEFT(item, kCompanyWidth), kCompanyWidth));
  }
  CARICAN();
  focusBox(1);
}

// --- Buttons and closing ---------------------------------------------------------------

void Codnuo::confirmClick() {
  if (isClosed()) return;
  // The key is the code the boxes show: each box's trimmed text after zeros,
  // its right-most characters. A box with a blank between its digits (one
  // rubbed out in the middle) shows no code a numeric box of the suite could
  // ever find again: the operator hears a beep and the window stays open.
  const std::size_t widths[kBoxes] = {kCompanyWidth, kSubCompanyWidth, kEmployeeWidth};
  std::string key;
  for (int i = 0; i < kBoxes; ++i) {
    const std::string shown = TRIM(box(i).text);
    if (shown.find(' ') != std::string::npos) {
      dialogs().beep();
      return;
    }
    const std::size_t width = widths[i];
    key += RIGHT(std::string(width, '0') + shown, width);
  }
  keyString() = key;
  lookupList_.close();
  close();
}

void Codnuo::exitClick() {
  if (isClosed()) return;
  leave();
}

void Codnuo::leave() {
  keyString().clear();
  lookupList_.close();
  close();
}

void Codnuo::unload() {
  std::string& key = keyString();
  if (VAL(MID(key, kBelowCompanyPos, kBelowCompanyWidth)) == 0) key.clear();
  lookupList_.close();
  focus_ = Focus::kNone;
  focusedBox_ = -1;
}

// --- The check ----------------------------------------------------------------------

void Codnuo::VERIFN() {
  REGISTRAPROC("VERIFN");
  guarded([&] {
    // An operator who gives up waiting for the semaphore is back in the
    // company box, as after Cancel at the confirmation.
    SemaphoreHold semaphore;
    State& s = S();
    const std::string key = keyString();
    const double company = VAL(MID(key, kCompanyPos, kCompanyWidth));
    if (semaphore.take() && company != 0 && MID(key, kEmployeePos, kEmployeeWidth) != std::string(kEmployeeWidth, '0')) {
      const double endOfFile = LEGGIREC(kUserCompanyFile, company);
      s.DITX = s.BUFFERREC[kUserCompanyFile];
      if (endOfFile == 1 || RepoRNum(T261) == kFreeRecordStatus) {
        dialogs().message("IL CODICE DITTA " + STR(company) + " NON ESISTE", Buttons::kOk, Icon::kCritical);
      } else if (ISAM(s.TABPARAM[kParamKeyIndexFile], key, kIsamSearch) != -1) {
        dialogs().message("IL CODICE DIPENDENTE " + key + " E' ESITENTE", Buttons::kOk, Icon::kCritical);
      } else {
        semaphore.release();
        const Answer answer =
            dialogs().message("CONTINUARE ? ", Buttons::kOkCancel, Icon::kInformation, "CODICE " + key + " OK");
        if (semaphore.take() && answer == Answer::kOk) {
          semaphore.release();
          close();
          return;
        }
      }
    }
    semaphore.release();
    focusBox(0);
  });
  changed();
}

}  // namespace vt
