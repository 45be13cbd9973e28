// The Qt views of the two-list windows, the browser (FILESTAN) and the copy
// window (FILESTA2): heading, decorative strip, the chosen archive's title,
// the presenter's two lists of archive lines with the option buttons between
// them under "OPZIONI", and a bottom row. A view shows the presenter's lists,
// selections, title and focus, and forwards clicks, double clicks, Enter,
// moving keys and selections to it.
#pragma once

#include <QDialog>
#include <memory>

#include "core/window.h"

namespace vt::qt {

// The view of a Filestan presenter; `presenter` must be one (else
// std::logic_error). Register it under Filestan::kFormName.
std::unique_ptr<QDialog> makeBrowserView(WindowPresenter& presenter);

// The view of a Filesta2 presenter; `presenter` must be one (else
// std::logic_error). Register it under Filesta2::kFormName.
std::unique_ptr<QDialog> makeCopyWindowView(WindowPresenter& presenter);

}  // namespace vt::qt
