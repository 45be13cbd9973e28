// The Qt view of the copy window (FILESTA2): shows the chosen lines and the
// user-archive list of its presenter and forwards clicks, double clicks,
// Enter and selections to it.
#pragma once

#include <QDialog>
#include <memory>

#include "core/window.h"

namespace vt::qt {

// The view of a Filesta2 presenter; `presenter` must be one (else
// std::logic_error). Register it under the form name "FILESTA2".
std::unique_ptr<QDialog> makeCopyWindowView(WindowPresenter& presenter);

}  // namespace vt::qt
