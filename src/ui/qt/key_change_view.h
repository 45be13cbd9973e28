// The Qt view of the key change dialog (CODNUO): it shows the presenter's
// boxes, labels and companies list and forwards keys, clicks and the boxes'
// own edits to it. The boxes never keep an edit of their own: whatever a line
// edit does by itself is reported and the presenter's buffer is shown again.
#pragma once

#include <QDialog>
#include <array>
#include <memory>

#include "ui/key_change.h"
#include "ui/qt/presenter_list.h"
#include "ui/qt/presenter_view.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace vt::qt {

class KeyChangeView : public PresenterView {
 public:
  explicit KeyChangeView(Codnuo& presenter, QWidget* parent = nullptr);

  QLineEdit* box(int i) const { return boxes_.at(static_cast<std::size_t>(i)); }
  QLabel* label(int i) const { return labels_.at(static_cast<std::size_t>(i)); }
  PresenterList* companies() const { return list_; }
  QPushButton* confirmButton() const { return confirm_; }
  QPushButton* exitButton() const { return exit_; }
  // Command1: the default button, outside the visible area, that takes Enter.
  QPushButton* defaultButton() const { return command1_; }

 protected:
  void refresh() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int boxIndex(QObject* watched) const;
  int labelIndex(QObject* watched) const;
  void boxFocusIn(int i, Qt::FocusReason reason);
  bool boxKey(int i, class QKeyEvent* event);
  bool listKey(QKeyEvent* event);

  Codnuo& presenter_;
  std::array<QLineEdit*, Codnuo::kBoxes> boxes_{};
  std::array<QLabel*, Codnuo::kBoxes> labels_{};
  PresenterList* list_ = nullptr;
  QPushButton* confirm_ = nullptr;
  QPushButton* exit_ = nullptr;
  QPushButton* command1_ = nullptr;
  bool refreshing_ = false;
};

// The view of a Codnuo presenter, for QtDialogs::registerView(Codnuo::kFormName, ...).
std::unique_ptr<QDialog> makeKeyChangeView(WindowPresenter& presenter);

// The suite's key code of a Qt key (F1 112, arrows 37 to 40, Escape 27,
// letters and digits their upper-case character code), 0 for others.
int suiteKeyCode(int qtKey);
// The suite's shift state of Qt modifiers: Shift 1, Ctrl 2, Alt 4.
int suiteShiftState(Qt::KeyboardModifiers modifiers);

}  // namespace vt::qt
