#include "ui/browser.h"

#include "core/dialogs.h"
#include "core/state.h"
#include "core/trail.h"
#include "records/records.h"
#include "ui/copy_window.h"

namespace vt {
namespace {

constexpr std::int16_t kEnterKey = 13;

bool isList(int list) { return list == Filestan::kStandardList || list == Filestan::kChosenList; }

// The list a view asks about; any other number is taken as the standard list.
int listSlot(int list) { return list == Filestan::kChosenList ? Filestan::kChosenList : Filestan::kStandardList; }

}  // namespace

Filestan::Filestan(Filesta2& copyWindow) : copyWindow_(copyWindow) {}

const char* Filestan::buttonCaption(int button) {
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

    ArchiveList& standardList = lists_[kStandardList];
    standardList.clear();
    const int standard = S().TABPARAM[kParamStandardFile];
    if (isStandardFile(standard)) {
      for (int record = 1; record <= kMaxListedRecords; ++record) {
        S().FINEARCHIVIO = LEGGIREC(standard, record);
        if (S().FINEARCHIVIO == 1) break;
        const std::string& buffer = S().BUFFERREC[standard];
        if (startsFree(buffer)) continue;
        standardList.add(standardLine(buffer, record));
      }
    }
    changed();

    if (standardList.empty()) {
      foundNoRecords_ = true;
      dialogs().message(kNoRecords, Buttons::kOk, Icon::kNone);
      close();
      return;
    }
    standardList.select(0);
    focusedList_ = kStandardList;
    ++focusRequests_;
    archiveTitle_ = S().TABTESTI[kTextChosenArchive];
    changed();
  });
}

void Filestan::COMANDO1_CLICK(int button) {
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

void Filestan::RIEPILOGO1_DBLCLICK(int list) {
  REGISTRAPROC("RIEPILOGO1_DBLCLICK");
  guarded([&] {
    if (list == kStandardList) SCEGLISINGOLO();
    if (list == kChosenList) CARICABBS();
  });
}

void Filestan::RIEPILOGO1_KEYPRESS(int list, std::int16_t keyAscii) {
  REGISTRAPROC("RIEPILOGO1_KEYPRESS");
  guarded([&] {
    if (keyAscii != kEnterKey) return;
    if (list == kStandardList) SCEGLISINGOLO();
    if (list == kChosenList) CARICABBS();
  });
}

void Filestan::select(int list, int index) {
  if (!isList(list)) return;
  lists_[list].select(index);
}

void Filestan::moveSelection(int list, ListMove move, int pageRows) {
  if (!isList(list)) return;
  ArchiveList& moved = lists_[list];
  moved.select(landingLine(move, moved.selected(), moved.size(), pageRows));
  changed();
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
  ArchiveList& source = lists_[from];
  const int index = source.selected();
  if (index == ArchiveList::kNone) return;
  lists_[to].add(source.at(index));
  source.removeAt(index);
  if (!source.empty()) {
    source.select(0);
    focusedList_ = from;
    ++focusRequests_;
  }
  changed();
}

void Filestan::moveAll(int from, int to) {
  ArchiveList& source = lists_[from];
  const int count = source.size();
  for (int moved = 0; moved < count; ++moved) {
    source.select(0);
    lists_[to].add(source.at(0));
    source.removeAt(0);
  }
  changed();
}

void Filestan::unload() {
  for (const std::string& line : lists_[kChosenList].lines()) copyWindow_.addChosenLine(line);
}

const std::vector<std::string>& Filestan::lines(int list) const { return lists_[listSlot(list)].lines(); }

int Filestan::selected(int list) const { return lists_[listSlot(list)].selected(); }

}  // namespace vt
