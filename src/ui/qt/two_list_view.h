// The view of a two-list window (the browser and the copy window): heading,
// decorative strip, the chosen archive's title, the presenter's two lists of
// archive lines with the option buttons between them under "OPZIONI", and a
// bottom row. It shows the presenter's lists, selections, title and focus,
// and forwards the lists' and the buttons' events to it.
#pragma once

#include <QDialog>
#include <QStyle>
#include <array>
#include <memory>
#include <vector>

#include "ui/two_lists.h"

namespace vt::qt {

// What tells one two-list window's view from the other's.
struct TwoListForm {
  struct List {
    const char* objectName;
    const char* heading;
  };
  // A button of the presenter's Comando1 array, by its index.
  struct Button {
    int index;
    QStyle::StandardPixmap picture;
    const char* objectName;
  };
  // The presenter's lists 0 and 1, left to right.
  std::array<List, 2> lists;
  // The buttons between the lists, top to bottom; then the buttons of the
  // bottom row, right of `instruction` (none: an empty space). Tab follows
  // this order.
  std::vector<Button> options;
  const char* instruction;
  std::vector<Button> bottom;
};

std::unique_ptr<QDialog> makeTwoListView(TwoListWindow& presenter, const TwoListForm& form);

}  // namespace vt::qt
