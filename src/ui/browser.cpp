#include "ui/browser.h"

#include "core/dialogs.h"
#include "core/state.h"
#include "core/trail.h"
#include "ui/copy_window.h"

namespace vt {
namespace {

bool standardRecordFree(int file) { return startsFree(S().BUFFERREC[file]); }

}  // namespace

Filestan::Filestan(Filesta2& copyWindow) : copyWindow_(copyWindow) {}

const char* Filestan::buttonCaption(int button) const {
  switch (button) {
    case kChooseOne: return "Singolo";
    case kChooseAll: return "Tutti";
    case kReturnAll: return "Tutti";
    case kReturnOne: return "Singolo";
    case kLeave: return "&Uscita";
    case kConfirm: return "Conferma";
    default: return "";
  }
}

void Filestan::load() {
  REGISTRAPROC("FORM_LOAD");
  guarded([&] {
    S().TABFLAG[kFlagLeftBrowser] = 0;
    centre(kWidthTwips, kHeightTwips, dialogs().screenSize());

    ArchiveList& standardList = archiveList(kStandardList);
    standardList.clear();
    const int standard = S().TABPARAM[kParamStandardFile];
    if (isStandardFile(standard)) listRecords(standardList, standard, standardRecordFree, standardLine);
    changed();

    if (standardList.empty()) {
      foundNoRecords_ = true;
      dialogs().message(kNoRecords, Buttons::kOk, Icon::kNone);
      close();
      return;
    }
    standardList.select(0);
    focusList(kStandardList);
    setArchiveTitle(S().TABTESTI[kTextChosenArchive]);
    changed();
  });
}

void Filestan::commandClick(int button) {
  REGISTRAPROC("COMANDO1_CLICK");
  guarded([&] {
    switch (button) {
      case kChooseOne: SCEGLISINGOLO(); break;
      case kChooseAll: SCEGLITUTTI(); break;
      case kReturnAll: TOGLITUTTI(); break;
      case kReturnOne: CARICABBS(); break;
      case kLeave:
        close();
        S().TABFLAG[kFlagLeftBrowser] = 1;
        break;
      case kConfirm: close(); break;
      default: break;
    }
  });
}

void Filestan::listDoubleClick(int list) {
  REGISTRAPROC("RIEPILOGO1_DBLCLICK");
  guarded([&] {
    if (list == kStandardList) SCEGLISINGOLO();
    if (list == kChosenList) CARICABBS();
  });
}

void Filestan::listKeyPress(int list, std::int16_t keyAscii) {
  REGISTRAPROC("RIEPILOGO1_KEYPRESS");
  guarded([&] {
    if (keyAscii != kEnterKey) return;
    if (list == kStandardList) SCEGLISINGOLO();
    if (list == kChosenList) CARICABBS();
  });
}

void Filestan::SCEGLISINGOLO() { moveSelected(kStandardList, kChosenList); }

void Filestan::SCEGLITUTTI() { moveAll(kStandardList, kChosenList); }

void Filestan::TOGLITUTTI() { moveAll(kChosenList, kStandardList); }

void Filestan::CARICABBS() {
  REGISTRAPROC("CARICABBS");
  guarded([&] {
    S().TABFLAG[kFlagLeftBrowser] = 0;
    moveSelected(kChosenList, kStandardList);
  });
}

void Filestan::moveSelected(int from, int to) {
  ArchiveList& source = archiveList(from);
  const int index = source.selected();
  if (index == ArchiveList::kNone) return;
  archiveList(to).add(source.at(index));
  source.removeAt(index);
  if (!source.empty()) {
    source.select(0);
    focusList(from);
  }
  changed();
}

void Filestan::moveAll(int from, int to) {
  ArchiveList& source = archiveList(from);
  const int count = source.size();
  for (int moved = 0; moved < count; ++moved) {
    source.select(0);
    archiveList(to).add(source.at(0));
    source.removeAt(0);
  }
  changed();
}

void Filestan::unload() {
  for (const std::string& line : lines(kChosenList)) copyWindow_.addChosenLine(line);
}

}  // namespace vt
