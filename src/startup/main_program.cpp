#include "startup/main_program.h"

#include <cstddef>
#include <string>

#include "core/dialogs.h"
#include "core/program_end.h"
#include "core/state.h"
#include "core/trail.h"
#include "records/files.h"
#include "ui/archives.h"
#include "startup/installation.h"
#include "ui/browser.h"
#include "ui/choice_window.h"
#include "ui/copy_window.h"
#include "util/text.h"

namespace vt {
namespace {

constexpr const char* kProgramName = "VTMERV";

constexpr const char* kMenuTitle = "GESTIONE ARCHIVI STANDARD";
constexpr const char* kMenuHeading = "LISTA ARCHIVI";
constexpr int kMenuHeadingLabel = 1;

constexpr const char* kNotFoundSuffix = " - ARCHIVIO NON TROVATO";
constexpr const char* kNotFoundTitle = "MESSAGGIO";
constexpr const char* kFixedDataTitle = "Archivi Standard";
// Three lines joined by a carriage return alone.
constexpr const char* kFixedDataText =
    "ATTENZIONE !!\r"
    "Archivio gestito dall'utente...\r"
    "(per eventuali informazioni rivolgersi a Veltrani Rudivoz)";

// Shows the archive menu and returns the number of the entry chosen, 0 when
// the operator left it.
int askArchive() {
  S().ELENCOSCELTE = archiveMenu();
  Scelta menu;
  menu.LabelTitolo = kMenuTitle;
  menu.ETIC[kMenuHeadingLabel] = kMenuHeading;
  dialogs().showModal(menu);
  return toInt16(S().NUMEROSCELTA);
}

}  // namespace

void MAIN() {
  REGISTRAPROC("MAIN");
  setNormalEnd([] { FINEPROG(); });
  guarded([] {
    S().NOMEPROGRAMMA = kProgramName;
    S().NOMEPROGETTO = kProgramName;
  });
  guarded([] { CARICAPERCORSI(); });
  guarded([] {
    if (S().PERARK.empty()) CARICAPERCORSIWKP();
  });

  int choice = 0;
  guarded([&] {
    choice = askArchive();
    S().TABPARAM[kParamChoice] = static_cast<std::int16_t>(choice);
  });
  if (choice < 1 || choice > static_cast<int>(kMenuArchives.size())) FINEPROG();
  const Archive& archive = kMenuArchives[static_cast<std::size_t>(choice - 1)];

  guarded([&] { S().TABPARAM[kParamStandardFile] = static_cast<std::int16_t>(archive.standardFile); });
  const double standardFile = S().TABPARAM[kParamStandardFile];
  if (VERBASE(standardFile) == 0) {
    guarded([] {
      dialogs().message(S().TABTESTI[kTextChosenArchive] + kNotFoundSuffix, Buttons::kOk, Icon::kNone, kNotFoundTitle);
    });
    FINEPROG(ExitStatus::kArchiveNotFound);
  }
  FAIOPEN(standardFile);

  if (archive.userFile == kNoUserFile) {  // the fixed data: managed by the user, never copied
    guarded([] { dialogs().message(kFixedDataText, Buttons::kOk, Icon::kInformation, kFixedDataTitle); });
    FINEPROG();
  }
  guarded([&] { setArchiveLayout(archive); });
  FAIOPEN(S().TABPARAM[kParamUserFile]);

  // The browser hands its chosen lines to the copy window as it closes.
  Filesta2 copy;
  Filestan browser(copy);
  guarded([&] { dialogs().showModal(browser); });
  // An archive with nothing in use has nothing to copy: the run is over.
  if (browser.foundNoRecords()) FINEPROG(ExitStatus::kArchiveNotFound);
  if (S().TABFLAG[kFlagLeftBrowser] == 1) FINEPROG();
  guarded([&] { dialogs().showModal(copy); });
  FINEPROG();
}

void FINEPROG(ExitStatus status) {
  REGISTRAPROC("FINEPROG");
  guarded([] { CHIUDIFILE(0); });
  FINETASK(status);
}

}  // namespace vt
