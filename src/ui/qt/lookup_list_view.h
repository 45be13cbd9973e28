// The Qt view of the lookup list window (LISTA): a title, five text lines and
// one list in a frame. Key presses in the window and its list reach the
// presenter; the list's own keys work as usual.
#pragma once

#include <QDialog>
#include <array>
#include <memory>

#include "ui/lookup_list.h"
#include "ui/qt/presenter_list.h"
#include "ui/qt/presenter_view.h"

class QLabel;

namespace vt::qt {

class LookupListView : public PresenterView {
 public:
  explicit LookupListView(Lista& presenter, QWidget* parent = nullptr);

  PresenterList* list() const { return list_; }
  QLabel* textLine(int i) const { return lines_.at(static_cast<std::size_t>(i)); }

 protected:
  void refresh() override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Lista& presenter_;
  std::array<QLabel*, Lista::kTextLines> lines_{};
  PresenterList* list_ = nullptr;
};

// The view of a Lista presenter, for QtDialogs::registerView(Lista::kFormName, ...).
std::unique_ptr<QDialog> makeLookupListView(WindowPresenter& presenter);

}  // namespace vt::qt
