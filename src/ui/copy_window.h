// The copy window (form FILESTA2): shows the lines chosen in the browser
// beside the records in use of the user's archive of the same kind, and
// copies chosen records from the standard archive into the user's archive,
// one at a time ("Singolo") or all ("Tutti").
//
// Companies, formulas, sectors and profiles are keyed by record number: the
// standard record R is written at record R of the user's archive with its key
// rewritten as R with leading zeros; a record R in use is overwritten only
// after the operator says so, or the operator gives another number. The user
// archives are never extended by this copy. Employees are copied by SCRIVI2
// (ui/employee_copy.h).
//
// Inputs, set by the start-up in the TABPARAM slots (core/slots.h):
// kParamStandardFile standard file (201 to 206, open), kParamKeyPosition and
// kParamKeyLength, kParamDescriptionPosition and kParamDescriptionLength,
// kParamUserFile user file (1, 2, 8, 48 or 401, open); TABTESTI
// kTextChosenArchive the archive's title.
#pragma once

#include <string>
#include <string_view>

#include "ui/two_lists.h"

namespace vt {

class Filesta2 : public TwoListWindow {
 public:
  static constexpr int kChosenList = kLeftList;  // Riepilogo1(0)
  static constexpr int kUserList = kRightList;   // Riepilogo1(1)
  static constexpr int kCopyOne = 0;             // Comando1(0) "Singolo"
  static constexpr int kCopyAll = 1;             // Comando1(1) "Tutti"
  static constexpr int kLeave = 4;               // Comando1(4) "&Uscita"

  // What SCRIVI (and SCRIVI2) give back.
  static constexpr int kCopied = 0;
  static constexpr int kNothingCopied = 1;

  Filesta2() = default;

  static constexpr const char* kFormName = "FILESTA2";
  std::string_view formName() const override { return kFormName; }

  // Shows the archive's title, centres the window and fills the user-archive
  // list (AGGIORNA). The chosen lines already handed over stay. Trail
  // "FORM_LOAD".
  void load() override;

  // --- Events ------------------------------------------------------------------

  // kCopyOne: CARICAWIN; kCopyAll: CARICATUTTOWIN; kLeave: closes the window.
  // A double click or Enter on the chosen list: CARICAWIN.
  void commandClick(int button) override;
  void listDoubleClick(int list) override;
  void listKeyPress(int list, std::int16_t keyAscii) override;

  // --- Procedures --------------------------------------------------------------

  // Refills the user-archive list with the records in use of the user's
  // archive (records 1 to 1,000 at most). For the employee archive the list
  // is left as it is. Sets TABFLAG(kFlagLeftBrowser) to 0. Trail "AGGIORNA".
  void AGGIORNA();
  // Copies the selected chosen line, then refills the user-archive list
  // unless nothing was copied. No selection: nothing. Trail "CARICAWIN".
  void CARICAWIN();
  // Copies the chosen lines, one pass per line present at the start, each
  // pass on the first line; stops at once when a pass copies nothing, and
  // refills the user-archive list at the end. Trail "CARICATUTTOWIN".
  void CARICATUTTOWIN();
  // Copies the record of chosen line `line` (at `index` in the chosen list)
  // into the user's archive, asking before a record in use is overwritten,
  // and removes the line. kCopied when it wrote the record; kNothingCopied
  // when the operator abandoned the line or the number lies outside the
  // archive (the line then stays chosen). Trail "SCRIVI".
  int SCRIVI(const std::string& line, int index);

  // --- What the browser's hand-over and the employee copy use ----------------

  // Adds `line` to the chosen list, at its place in the order.
  void addChosenLine(const std::string& line);
  // Removes line `index` of the chosen list (outside the list: nothing).
  void removeChosenLine(int index);
  // Adds `line` to the user-archive list.
  void addUserLine(const std::string& line);
  // When the chosen list has lines, selects its first line and gives the
  // list the keyboard focus.
  void selectFirstChosen();

  // --- The window's own fixed texts --------------------------------------------

  static constexpr const char* kChosenListLabel = " RECORDS SCELTI";
  static constexpr const char* kUserListLabel = "ARCHIVIO TESSARO";
  static constexpr const char* kOutOfLimits = "NUMERO RECORD FUORI DAI LIMITI DEL ARCHIVIO";
  const char* buttonCaption(int button) const override;

 private:
  // One chosen line through SCRIVI, or SCRIVI2 for the employee archive.
  int copyLine(const std::string& line, int index);
};

}  // namespace vt
