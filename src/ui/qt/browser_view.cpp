#include "ui/qt/browser_view.h"

#include <stdexcept>

#include "ui/browser.h"
#include "ui/qt/archive_window_view.h"

namespace vt::qt {
namespace {

class BrowserView : public ArchiveWindowView<Filestan> {
 public:
  explicit BrowserView(Filestan& presenter)
      : ArchiveWindowView(presenter, {"standardList", Filestan::kStandardListLabel},
                          {"chosenList", Filestan::kChosenListLabel}) {
    // Created in the order Tab follows: the option buttons, then the bottom row.
    QPushButton* chooseOne = commandButton(Filestan::kChooseOne, QStyle::SP_ArrowRight, "chooseOne");
    QPushButton* chooseAll = commandButton(Filestan::kChooseAll, QStyle::SP_MediaSeekForward, "chooseAll");
    QPushButton* returnAll = commandButton(Filestan::kReturnAll, QStyle::SP_MediaSeekBackward, "returnAll");
    QPushButton* returnOne = commandButton(Filestan::kReturnOne, QStyle::SP_ArrowLeft, "returnOne");
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(makeLabel(Filestan::kInstruction, this), 1);
    bottom->addWidget(commandButton(Filestan::kLeave, QStyle::SP_DialogCloseButton, "leave"));
    bottom->addWidget(commandButton(Filestan::kConfirm, QStyle::SP_DialogApplyButton, "confirm"));
    arrange({chooseOne, chooseAll, returnAll, returnOne}, bottom);
  }
};

}  // namespace

std::unique_ptr<QDialog> makeBrowserView(WindowPresenter& presenter) {
  auto* browser = dynamic_cast<Filestan*>(&presenter);
  if (browser == nullptr) throw std::logic_error("the browser view needs the FILESTAN presenter");
  return std::make_unique<BrowserView>(*browser);
}

}  // namespace vt::qt
