// The dialog interface on Qt: QMessageBox, QInputDialog, QApplication::beep,
// the primary screen, and the views registered for the program's windows.
#pragma once

#include <QDialog>
#include <QMessageBox>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "core/dialogs.h"

namespace vt::qt {

class QtDialogs : public Dialogs {
 public:
  // Makes the view of a presenter whose form name is the key.
  using ViewFactory = std::function<std::unique_ptr<QDialog>(WindowPresenter&)>;

  void registerView(const std::string& formName, ViewFactory factory);

  Answer message(const std::string& text, Buttons buttons, Icon icon, const std::string& title,
                 DefaultButton defaultButton) override;
  std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                   const std::string& defaultText) override;
  void beep() override;
  ScreenSize screenSize() override;
  void showModal(WindowPresenter& presenter) override;
  bool waitBetweenTries(const WaitNotice& notice, std::chrono::milliseconds pause) override;
  void waitEnded(std::chrono::milliseconds waited) override;

 private:
  std::map<std::string, ViewFactory, std::less<>> views_;
  // While a wait lasts: what keeps the operator's input from the program's
  // windows, and the wait box once it is shown.
  std::unique_ptr<QObject> inputHeld_;
  std::unique_ptr<QMessageBox> waitBox_;
  bool gaveUp_ = false;
};

// Twips to pixels and back, through the primary screen's logical dots per inch.
int twipsToPixels(int twips);
int pixelsToTwips(int pixels);

}  // namespace vt::qt
