#include "ui/lookup_list.h"

#include "core/dialogs.h"
#include "ui/info.h"

namespace vt {

void Lista::load() { centre(kWidth, kHeight, dialogs().screenSize()); }

void Lista::listSelect(int index) { selected_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1; }

void Lista::listMove(ListMove move, int pageRows) {
  selected_ = landingLine(move, selected_, static_cast<int>(items_.size()), pageRows);
  changed();
}

bool Lista::keyDown(int key, int shift) {
  if (key != kKeyP || shift != kShiftCtrl) return false;
  INFOPROGETTO();
  return true;
}

}  // namespace vt
