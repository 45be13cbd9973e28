// The base of the program's Qt views: a modal dialog that shows one presenter.
// It sizes and centres itself from the presenter's geometry in twips, closes
// when the presenter closes, and turns the title-bar close box into the
// presenter's close().
#pragma once

#include <QDialog>

#include "core/window.h"

namespace vt::qt {

class PresenterView : public QDialog, public WindowListener {
 public:
  explicit PresenterView(WindowPresenter& presenter, QWidget* parent = nullptr);
  ~PresenterView() override;

  void presenterChanged() override { refresh(); }
  void presenterClosed() override;

 protected:
  // Shows the presenter's state; called after load and on every change.
  virtual void refresh() {}

  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  WindowPresenter& presenter_;
};

}  // namespace vt::qt
