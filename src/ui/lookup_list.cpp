#include "ui/lookup_list.h"

#include "core/dialogs.h"
#include "ui/info.h"

namespace vt {

void Lista::load() { centre(kWidth, kHeight, dialogs().screenSize()); }

bool Lista::keyDown(int key, int shift) {
  if (key != kKeyP || shift != kShiftCtrl) return false;
  INFOPROGETTO();
  return true;
}

}  // namespace vt
