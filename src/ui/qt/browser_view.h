// The Qt view of the standard archive browser (FILESTAN): shows the two lists
// and the labels of its presenter and forwards clicks, double clicks, Enter
// and selections to it.
#pragma once

#include <QDialog>
#include <memory>

#include "core/window.h"

namespace vt::qt {

// The view of a Filestan presenter; `presenter` must be one (else
// std::logic_error). Register it under the form name "FILESTAN".
std::unique_ptr<QDialog> makeBrowserView(WindowPresenter& presenter);

}  // namespace vt::qt
