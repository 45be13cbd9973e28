// vtmerv: the GESTIONE ARCHIVI STANDARD program of the Tessaro suite.
//
// Sets up the Qt application (with Qt's own Italian texts for the buttons of
// its boxes: Sì, No, OK, Annulla), installs the Qt dialog interface with the
// view of every window, and runs MAIN, which ends the process itself.
#include <QApplication>
#include <QLocale>

#include "app/command_line.h"
#include "app/qt_italian.h"
#include "core/failure.h"
#include "core/program_end.h"
#include "core/trail.h"
#include "platform/files.h"
#include "startup/main_program.h"
#include "ui/browser.h"
#include "ui/choice_window.h"
#include "ui/copy_window.h"
#include "ui/key_change.h"
#include "ui/lookup_list.h"
#include "ui/qt/choice_view.h"
#include "ui/qt/key_change_view.h"
#include "ui/qt/lookup_list_view.h"
#include "ui/qt/qt_dialogs.h"
#include "ui/qt/two_list_views.h"

namespace {

// Every window's handlers run their statements under the trap; should a
// failure still leave a handler, it reaches the trap here instead of the
// event loop, which cannot carry it: a run-time failure of the suite as it
// is, any other exception as a failure the program did not expect.
class Application : public QApplication {
 public:
  using QApplication::QApplication;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (...) {
      vt::trapCaughtException();
    }
    return true;
  }
};

}  // namespace

int main(int argc, char** argv) {
  // A write past the file-size limit is a full disk for the trap, which the
  // copy undoes, never the end of the process half way through a copy.
  vt::platform::ignoreFileSizeSignal();
  if (const auto status = vt::app::handleCommandLine(argc, argv)) return *status;
  Application application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("VTMERV"));
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));

  vt::app::installQtItalian();

  vt::qt::QtDialogs dialogs;
  dialogs.registerView(vt::Scelta::kFormName, vt::qt::makeChoiceView);
  dialogs.registerView(vt::Filestan::kFormName, vt::qt::makeBrowserView);
  dialogs.registerView(vt::Filesta2::kFormName, vt::qt::makeCopyWindowView);
  dialogs.registerView(vt::Codnuo::kFormName, vt::qt::makeKeyChangeView);
  dialogs.registerView(vt::Lista::kFormName, vt::qt::makeLookupListView);
  vt::setDialogs(&dialogs);

  try {
    vt::MAIN();
  } catch (...) {
    vt::trapCaughtException();
  }
  return static_cast<int>(vt::ExitStatus::kFailure);  // MAIN ends the process itself
}
