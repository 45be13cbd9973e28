// The program-information box, shown on Ctrl+Shift+P by the choice list
// window and the lookup list window.
#pragma once

namespace vt {

// Shows "Informazioni Progetto tessaro" with the program's and the project's
// names. Records nothing in the trail.
void INFOPROGETTO();

}  // namespace vt
