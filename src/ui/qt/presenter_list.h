// The list widget of every list of the program: it draws marked exactly the
// line its presenter has selected, and nothing when none is. The moving keys
// (Home, End, Up, Down, Page Up, Page Down) go to the presenter, which selects
// the line they land on; a click or a typed letter that selects a line is
// forwarded as a selection. The list's own idea of a current line never shows:
// taking the focus does not mark a line.
#pragma once

#include <QListWidget>
#include <functional>

#include "ui/list_moves.h"

namespace vt::qt {

class PresenterList : public QListWidget {
 public:
  struct Hooks {
    std::function<int()> selected;            // the presenter's selected line, -1 for none
    std::function<void(int)> select;          // the operator selected a line (-1: none)
    std::function<void(ListMove, int)> move;  // a moving key, with the lines showing
  };

  PresenterList(Hooks hooks, QWidget* parent);

  // Marks the presenter's selected line, without telling anyone.
  void showSelection();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  int pageRows() const;

  Hooks hooks_;
};

}  // namespace vt::qt
