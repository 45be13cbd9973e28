#include "ui/qt/browser_view.h"

#include <stdexcept>

#include "ui/browser.h"
#include "ui/qt/two_list_view.h"

namespace vt::qt {

std::unique_ptr<QDialog> makeBrowserView(WindowPresenter& presenter) {
  auto* browser = dynamic_cast<Filestan*>(&presenter);
  if (browser == nullptr) throw std::logic_error("the browser view needs the FILESTAN presenter");
  return makeTwoListView(*browser, {{{{"standardList", Filestan::kStandardListLabel},
                                      {"chosenList", Filestan::kChosenListLabel}}},
                                    {{Filestan::kChooseOne, QStyle::SP_ArrowRight, "chooseOne"},
                                     {Filestan::kChooseAll, QStyle::SP_MediaSeekForward, "chooseAll"},
                                     {Filestan::kReturnAll, QStyle::SP_MediaSeekBackward, "returnAll"},
                                     {Filestan::kReturnOne, QStyle::SP_ArrowLeft, "returnOne"}},
                                    Filestan::kInstruction,
                                    {{Filestan::kLeave, QStyle::SP_DialogCloseButton, "leave"},
                                     {Filestan::kConfirm, QStyle::SP_DialogApplyButton, "confirm"}}});
}

}  // namespace vt::qt
