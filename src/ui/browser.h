// The standard archive browser (form FILESTAN): lists every record in use of
// the chosen standard archive and lets the operator move lines into the list
// of the records chosen for copying. When it closes, for whatever reason, the
// chosen lines go to the copy window.
//
// Inputs, set by the start-up before the window is shown (core/slots.h):
//   TABPARAM(kParamStandardFile)         the standard archive (201 to 206), open
//   TABPARAM(kParamKeyPosition)          first character of the key in a record (from 1)
//   TABPARAM(kParamKeyLength)            key length; 10 marks the employee archive
//   TABPARAM(kParamDescriptionPosition)  first character of the description
//   TABPARAM(kParamDescriptionLength)    description length
//   TABTESTI(kTextChosenArchive)         title of the chosen archive
// Output: TABFLAG(kFlagLeftBrowser) is 1 after "&Uscita", 0 after any other way out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/window.h"
#include "ui/archive_lines.h"
#include "ui/list_moves.h"

namespace vt {

class Filesta2;

class Filestan : public WindowPresenter {
 public:
  // The controls, by the index the form gives them.
  static constexpr int kStandardList = 0;  // Riepilogo1(0)
  static constexpr int kChosenList = 1;    // Riepilogo1(1)
  static constexpr int kChooseOne = 0;     // Comando1(0) "Singolo"
  static constexpr int kChooseAll = 1;     // Comando1(1) "Tutti"
  static constexpr int kReturnAll = 2;     // Comando1(2) "Tutti"
  static constexpr int kReturnOne = 3;     // Comando1(3) "Singolo"
  static constexpr int kLeave = 4;         // Comando1(4) "&Uscita"
  static constexpr int kConfirm = 5;       // Comando1(5) "Conferma"
  static constexpr int kButtonCount = 6;

  // The window's size as the start-up gives it, in twips.
  static constexpr int kWidthTwips = 10800;
  static constexpr int kHeightTwips = 8500;

  // `copyWindow` receives the chosen lines when this window closes; it must
  // outlive this window's closing.
  explicit Filestan(Filesta2& copyWindow);

  std::string_view formName() const override { return "FILESTAN"; }

  // Sets TABFLAG(kFlagLeftBrowser) to 0, centres the window, lists the records in use of
  // the standard archive (at most records 1 to 1,000) and selects the first
  // line. With no record in use, shows "NESSUN RECORD TROVATO" and closes.
  // Trail name "FORM_LOAD".
  void load() override;

  // --- Events (what the view forwards) ---------------------------------------

  // A button was clicked (kChooseOne ... kConfirm). Trail "COMANDO1_CLICK".
  void COMANDO1_CLICK(int button);
  // A line of list `list` was double-clicked: moves the selected line to the
  // other list. Trail "RIEPILOGO1_DBLCLICK".
  void RIEPILOGO1_DBLCLICK(int list);
  // A character key in list `list`: Enter (13) moves the selected line to the
  // other list; any other key is left to the list. Trail "RIEPILOGO1_KEYPRESS".
  void RIEPILOGO1_KEYPRESS(int list, std::int16_t keyAscii);
  // The operator selected line `index` of list `list` (-1: none).
  void select(int list, int index);
  // A moving key in list `list`, `pageRows` lines showing: selects the line
  // it lands on.
  void moveSelection(int list, ListMove move, int pageRows);

  // --- Procedures --------------------------------------------------------------

  // Moves the selected standard line to the chosen list; the standard list
  // then selects its first line and takes the focus. No selection: nothing.
  void SCEGLISINGOLO();
  // Moves every standard line to the chosen list.
  void SCEGLITUTTI();
  // Moves every chosen line back to the standard list.
  void TOGLITUTTI();
  // Moves the selected chosen line back to the standard list, as
  // SCEGLISINGOLO the other way. Sets TABFLAG(kFlagLeftBrowser) to 0. Trail "CARICABBS".
  void CARICABBS();

  // --- State a view shows ------------------------------------------------------

  const std::vector<std::string>& lines(int list) const;
  // The selected line of `list`, -1 when none.
  int selected(int list) const;
  // The list that last took the keyboard focus, and a number that grows
  // each time a procedure gives a list the focus.
  int focusedList() const { return focusedList_; }
  unsigned focusRequests() const { return focusRequests_; }
  // The title of the chosen archive (label Etichetta1(15)).
  const std::string& archiveTitle() const { return archiveTitle_; }
  // True when the load found no record in use and said "NESSUN RECORD
  // TROVATO": there is nothing to copy.
  bool foundNoRecords() const { return foundNoRecords_; }

  // The window's fixed texts.
  static constexpr const char* kCaption = "Archivi Standard";
  static constexpr const char* kHeading = "GESTIONE ARCHIVI STANDARD";
  static constexpr const char* kSelectedArchiveLabel = " ARCHIVIO SELEZIONATO";
  static constexpr const char* kDesignTitle = "Archivio Standard";
  static constexpr const char* kStandardListLabel = " ARCHIVIO STANDARD";
  static constexpr const char* kChosenListLabel = "RECORD SCELTI";
  static constexpr const char* kOptionsLabel = "OPZIONI";
  static constexpr const char* kInstruction = "Scelta del record da portare nell'archivo.";
  static constexpr const char* kNoRecords = "NESSUN RECORD TROVATO";
  // Caption of each button, by index.
  static const char* buttonCaption(int button);

 protected:
  // The hand-over: every chosen line, first to last, goes to the copy window.
  void unload() override;

 private:
  void moveSelected(int from, int to);
  void moveAll(int from, int to);

  Filesta2& copyWindow_;
  ArchiveList lists_[2];
  int focusedList_ = kStandardList;
  unsigned focusRequests_ = 0;
  std::string archiveTitle_ = kDesignTitle;
  bool foundNoRecords_ = false;
};

}  // namespace vt
