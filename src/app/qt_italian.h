// Qt's own Italian texts (the buttons of its boxes: Sì, No, OK, Annulla; the
// command line's "Uso" and "Opzioni"), carried inside the program so that
// they are there whatever the system has installed beside it.
#pragma once

namespace vt::app {

// Installs Qt's Italian translation in the running Q(Core)Application; it
// stays for the rest of the process.
void installQtItalian();

}  // namespace vt::app
