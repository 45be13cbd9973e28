// The Qt view of the choice list window (form "Scelta"): the title, the
// heading, the list of entries with their small icons in a fixed-pitch font,
// and the exit button. It shows the presenter's state and forwards the
// operator's keys, clicks and selection to it.
#pragma once

#include <QDialog>
#include <QIcon>
#include <memory>
#include <string_view>

#include "core/window.h"

namespace vt::qt {

// The view of a choice window presenter (a vt::Scelta).
std::unique_ptr<QDialog> makeChoiceView(WindowPresenter& presenter);

// The small image of an icon key of the choice window ("GENERICO", "STAMPA",
// ...); a key it does not know gets the image of "GENERICO".
QIcon choiceIcon(std::string_view key);


}  // namespace vt::qt
