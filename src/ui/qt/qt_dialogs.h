// The dialog interface on Qt: QMessageBox, QInputDialog, QApplication::beep,
// the primary screen, and the views registered for the program's windows.
#pragma once

#include <QDialog>
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

 private:
  std::map<std::string, ViewFactory, std::less<>> views_;
};

// Twips to pixels and back, through the primary screen's logical dots per inch.
int twipsToPixels(int twips);
int pixelsToTwips(int pixels);

}  // namespace vt::qt
