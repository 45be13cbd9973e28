// LISTA, "Lista": the lookup list window of the key change dialog, with a
// title, five text lines and one list. Nothing in this program fills or
// shows it; the key change dialog closes it together with itself.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/window.h"
#include "ui/list_moves.h"

namespace vt {

// Key code of P and the shift state of Shift and Ctrl together.
inline constexpr int kKeyP = 80;
inline constexpr int kShiftCtrl = 3;

class Lista : public WindowPresenter {
 public:
  static constexpr int kTextLines = 5;
  static constexpr const char* kFormName = "LISTA";
  static constexpr const char* kCaption = "Lista";
  static constexpr const char* kTitle = "LISTA";
  static constexpr const char* kTextLine = "Etichetta1";
  // Window size in twips.
  static constexpr int kWidth = 6000;
  static constexpr int kHeight = 5400;

  std::string_view formName() const override { return kFormName; }

  // Sizes the window and centres it on the screen.
  void load() override;

  // The five text lines ETC(0..4), top to bottom.
  const std::array<std::string, kTextLines>& textLines() const { return textLines_; }
  // The list R.
  const std::vector<std::string>& items() const { return items_; }
  // The selected item of R, -1 for none.
  int selected() const { return selected_; }

  // The operator selects item `index` (-1, or outside the list: none).
  void listSelect(int index);
  // A moving key in R, `pageRows` lines showing: selects the item it lands on.
  void listMove(ListMove move, int pageRows);

  // Key-down in the window or its list: Ctrl+Shift+P shows the program
  // information box and returns true; every other key is left to the list.
  bool keyDown(int key, int shift);

 private:
  std::array<std::string, kTextLines> textLines_{kTextLine, kTextLine, kTextLine, kTextLine, kTextLine};
  std::vector<std::string> items_;
  int selected_ = -1;
};

}  // namespace vt
