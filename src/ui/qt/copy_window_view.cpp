#include "ui/qt/copy_window_view.h"

#include <stdexcept>

#include "ui/copy_window.h"
#include "ui/qt/two_list_view.h"

namespace vt::qt {

std::unique_ptr<QDialog> makeCopyWindowView(WindowPresenter& presenter) {
  auto* copyWindow = dynamic_cast<Filesta2*>(&presenter);
  if (copyWindow == nullptr) throw std::logic_error("the copy window view needs the FILESTA2 presenter");
  return makeTwoListView(*copyWindow, {{{{"chosenList", Filesta2::kChosenListLabel},
                                         {"userList", Filesta2::kUserListLabel}}},
                                       {{Filesta2::kCopyOne, QStyle::SP_ArrowRight, "copyOne"},
                                        {Filesta2::kCopyAll, QStyle::SP_MediaSeekForward, "copyAll"}},
                                       nullptr,
                                       {{Filesta2::kLeave, QStyle::SP_DialogCloseButton, "leave"}}});
}

}  // namespace vt::qt
