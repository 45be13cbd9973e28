#include "ui/qt/copy_window_view.h"

#include <stdexcept>

#include "ui/copy_window.h"
#include "ui/qt/archive_window_view.h"

namespace vt::qt {
namespace {

class CopyWindowView : public ArchiveWindowView<Filesta2> {
 public:
  explicit CopyWindowView(Filesta2& presenter)
      : ArchiveWindowView(presenter, {"chosenList", Filesta2::kChosenListLabel},
                          {"userList", Filesta2::kUserListLabel}) {
    // Created in the order Tab follows: the option buttons, then the bottom row.
    QPushButton* copyOne = commandButton(Filesta2::kCopyOne, QStyle::SP_ArrowRight, "copyOne");
    QPushButton* copyAll = commandButton(Filesta2::kCopyAll, QStyle::SP_MediaSeekForward, "copyAll");
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(commandButton(Filesta2::kLeave, QStyle::SP_DialogCloseButton, "leave"));
    arrange({copyOne, copyAll}, bottom);
  }
};

}  // namespace

std::unique_ptr<QDialog> makeCopyWindowView(WindowPresenter& presenter) {
  auto* copyWindow = dynamic_cast<Filesta2*>(&presenter);
  if (copyWindow == nullptr) throw std::logic_error("the copy window view needs the FILESTA2 presenter");
  return std::make_unique<CopyWindowView>(*copyWindow);
}

}  // namespace vt::qt
