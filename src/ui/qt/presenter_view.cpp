#include "ui/qt/presenter_view.h"

#include <QCloseEvent>

#include "ui/qt/qt_dialogs.h"

namespace vt::qt {

PresenterView::PresenterView(WindowPresenter& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
  presenter_.setListener(this);
  setModal(true);
}

PresenterView::~PresenterView() { presenter_.setListener(nullptr); }

void PresenterView::presenterClosed() { done(QDialog::Accepted); }

void PresenterView::showEvent(QShowEvent* event) {
  const TwipsRect& g = presenter_.geometry();
  if (g.width > 0 && g.height > 0) {
    setGeometry(twipsToPixels(g.left), twipsToPixels(g.top), twipsToPixels(g.width), twipsToPixels(g.height));
  }
  refresh();
  QDialog::showEvent(event);
}

void PresenterView::closeEvent(QCloseEvent* event) {
  if (!presenter_.isClosed()) presenter_.close();
  event->accept();
}

// Escape reaches the presenter through the view's own key handling; the
// dialog's built-in reject on Escape must not close the window behind its back.
void PresenterView::reject() {
  if (presenter_.isClosed()) QDialog::reject();
}

}  // namespace vt::qt
