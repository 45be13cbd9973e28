#include "app/qt_italian.h"

#include <QCoreApplication>
#include <QTranslator>

namespace vt::app {

void installQtItalian() {
  // The program's resources hold Qt's qtbase_it.qm (see CMakeLists.txt). It
  // is loaded once and installed in each application: the command line's and
  // then the windows'.
  static QTranslator texts;
  static const bool loaded = texts.load(QStringLiteral(":/translations/qtbase_it.qm"));
  if (loaded) QCoreApplication::installTranslator(&texts);
}

}  // namespace vt::app
