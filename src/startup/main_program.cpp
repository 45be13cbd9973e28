#include "startup/main_program.h"

#include <array>
#include <optional>
#include <string>

#include "core/dialogs.h"
#include "core/program_end.h"
#include "core/state.h"
#include "core/trail.h"
#include "records/files.h"
#include "startup/installation.h"
#include "ui/browser.h"
#include "ui/choice_window.h"
#include "ui/copy_window.h"
#include "util/text.h"

namespace vt {
namespace {

constexpr const char* kProgramName = "VTMERV";

// The archive menu: six entries of 24 characters, the first five ending in
// the separator "*".
constexpr const char* kArchiveMenu =
    "1 - ARCHIVIO DITTE     *"
    "2 - ARCHIVIO DIPENDENTI*"
    "3 - ARCHIVIO FORMULE   *"
    "4 - ARCHIVIO SETTORI   *"
    "5 - ARCHIVIO DATI FISSI*"
    "6 - ARCHIVIO PROFILI    ";
constexpr const char* kMenuTitle = "GESTIONE ARCHIVI STANDARD";
constexpr const char* kMenuHeading = "LISTA ARCHIVI";
constexpr int kMenuHeadingLabel = 1;

// TABPARAM entries that describe the chosen archive to the windows.
constexpr int kStandardFileEntry = 1;
constexpr int kKeyPositionEntry = 2;
constexpr int kKeyLengthEntry = 3;
constexpr int kDescriptionPositionEntry = 4;
constexpr int kDescriptionLengthEntry = 5;
constexpr int kUserFileEntry = 9;
constexpr int kChoiceEntry = 21;
// TABFLAG entry set to 1 when the operator left the browser with "&Uscita".
constexpr int kLeftBrowserFlag = 25;
// TABTESTI entry that holds the chosen menu entry's text.
constexpr int kChosenTextEntry = Scelta::kChosenTextEntry;

// The standard archive of choice c is file kStandardFileBase + c.
constexpr int kStandardFileBase = 200;

// The layout of each archive: its user file, where its key and its
// description lie in a record (1-based position, length).
struct ArchiveLayout {
  int choice;
  int userFile;
  int keyPosition;
  int keyLength;
  int descriptionPosition;
  int descriptionLength;
};

constexpr int kFixedDataChoice = 5;
constexpr std::array<ArchiveLayout, 5> kLayouts = {{
    {1, 1, 3, 3, 6, 30},       // companies
    {2, 2, 3, 10, 9515, 35},   // employees: surname (30) and 5 of the first name
    {3, 401, 4, 3, 7, 18},     // formulas
    {4, 8, 381, 4, 385, 16},   // sectors
    {6, 48, 3, 3, 6, 25},      // profiles
}};

std::optional<ArchiveLayout> layoutOf(int choice) {
  for (const ArchiveLayout& layout : kLayouts) {
    if (layout.choice == choice) return layout;
  }
  return std::nullopt;
}

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
  S().ELENCOSCELTE = kArchiveMenu;
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
    S().TABPARAM[kChoiceEntry] = static_cast<std::int16_t>(choice);
  });
  std::optional<ArchiveLayout> layout = layoutOf(choice);
  if (choice == 0 || (!layout && choice != kFixedDataChoice)) FINEPROG();

  guarded([&] { S().TABPARAM[kStandardFileEntry] = static_cast<std::int16_t>(kStandardFileBase + choice); });
  const double standardFile = S().TABPARAM[kStandardFileEntry];
  if (VERBASE(standardFile) == 0) {
    guarded([] {
      dialogs().message(S().TABTESTI[kChosenTextEntry] + kNotFoundSuffix, Buttons::kOk, Icon::kNone, kNotFoundTitle);
    });
    FINEPROG(ExitStatus::kArchiveNotFound);
  }
  FAIOPEN(standardFile);

  if (!layout) {  // the fixed data: managed by the user, never copied
    guarded([] { dialogs().message(kFixedDataText, Buttons::kOk, Icon::kInformation, kFixedDataTitle); });
    FINEPROG();
  }
  guarded([&] {
    S().TABPARAM[kUserFileEntry] = static_cast<std::int16_t>(layout->userFile);
    S().TABPARAM[kKeyPositionEntry] = static_cast<std::int16_t>(layout->keyPosition);
    S().TABPARAM[kKeyLengthEntry] = static_cast<std::int16_t>(layout->keyLength);
    S().TABPARAM[kDescriptionPositionEntry] = static_cast<std::int16_t>(layout->descriptionPosition);
    S().TABPARAM[kDescriptionLengthEntry] = static_cast<std::int16_t>(layout->descriptionLength);
  });
  FAIOPEN(S().TABPARAM[kUserFileEntry]);

  // The browser hands its chosen lines to the copy window as it closes.
  Filesta2 copy;
  Filestan browser(copy);
  guarded([&] { dialogs().showModal(browser); });
  // An archive with nothing in use has nothing to copy: the run is over.
  if (browser.foundNoRecords()) FINEPROG(ExitStatus::kArchiveNotFound);
  if (S().TABFLAG[kLeftBrowserFlag] == 1) FINEPROG();
  guarded([&] { dialogs().showModal(copy); });
  FINEPROG();
}

void FINEPROG(ExitStatus status) {
  REGISTRAPROC("FINEPROG");
  guarded([] { CHIUDIFILE(0); });
  FINETASK(status);
}

}  // namespace vt
