// The fixed-pitch font of the program's archive lists and key boxes, so that
// the fixed-width fields of archive lines line up.
#pragma once

#include <QFont>

namespace vt::qt {

// "Courier New" (or the font the system gives in its place, such as
// Liberation Mono) when it is fixed-pitch; otherwise the system's
// fixed-pitch font. Always in the size of the archive lists.
QFont archiveLineFont();

}  // namespace vt::qt
