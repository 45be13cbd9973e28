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

#include <string_view>

#include "ui/two_lists.h"

namespace vt {

class Filesta2;

class Filestan : public TwoListWindow {
 public:
  // The controls, by the index the form gives them.
  static constexpr int kStandardList = kLeftList;  // Riepilogo1(0)
  static constexpr int kChosenList = kRightList;   // Riepilogo1(1)
  static constexpr int kChooseOne = 0;             // Comando1(0) "Singolo"
  static constexpr int kChooseAll = 1;             // Comando1(1) "Tutti"
  static constexpr int kReturnAll = 2;             // Comando1(2) "Tutti"
  static constexpr int kReturnOne = 3;             // Comando1(3) "Singolo"
  static constexpr int kLeave = 4;                 // Comando1(4) "&Uscita"
  static constexpr int kConfirm = 5;               // Comando1(5) "Conferma"
  static constexpr int kButtonCount = 6;

  // `copyWindow` receives the chosen lines when this window closes; it must
  // outlive this window's closing.
  explicit Filestan(Filesta2& copyWindow);

  static constexpr const char* kFormName = "FILESTAN";
  std::string_view formName() const override { return kFormName; }

  // Sets TABFLAG(kFlagLeftBrowser) to 0, centres the window, lists the records in use of
  // the standard archive (at most records 1 to 1,000) and selects the first
  // line. With no record in use, shows "NESSUN RECORD TROVATO" and closes.
  // Trail name "FORM_LOAD".
  void load() override;

  // --- Events ------------------------------------------------------------------

  // The buttons kChooseOne ... kConfirm (trail "COMANDO1_CLICK"). A double
  // click (trail "RIEPILOGO1_DBLCLICK") or Enter (trail "RIEPILOGO1_KEYPRESS";
  // any other key is left to the list) moves the selected line of a list to
  // the other list.
  void commandClick(int button) override;
  void listDoubleClick(int list) override;
  void listKeyPress(int list, std::int16_t keyAscii) override;

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

  // True when the load found no record in use and said "NESSUN RECORD
  // TROVATO": there is nothing to copy.
  bool foundNoRecords() const { return foundNoRecords_; }

  // The window's own fixed texts.
  static constexpr const char* kStandardListLabel = " ARCHIVIO STANDARD";
  static constexpr const char* kChosenListLabel = "RECORD SCELTI";
  static constexpr const char* kInstruction = "Scelta del record da portare nell'archivo.";
  static constexpr const char* kNoRecords = "NESSUN RECORD TROVATO";
  const char* buttonCaption(int button) const override;

 protected:
  // The hand-over: every chosen line, first to last, goes to the copy window.
  void unload() override;

 private:
  void moveSelected(int from, int to);
  void moveAll(int from, int to);

  Filesta2& copyWindow_;
  bool foundNoRecords_ = false;
};

}  // namespace vt
