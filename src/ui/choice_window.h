// The choice list window, form "Scelta": a list of entries, each with a small
// icon, from which the operator picks one.
//
// The caller puts the entries in ELENCOSCELTE, separated by "*", sets the
// title (LabelTitolo) and the heading above the list (ETIC element 1), and
// shows the window modally. When it has closed, NUMEROSCELTA holds the 1-based
// number of the entry chosen (0 when the window was left without a choice)
// and TABTESTI entry 49 the text of the entry selected at closing ("" when
// none). Closing empties ELENCOSCELTE: the caller sets it before each showing.
//
// The window sees key presses before its list (Ctrl+Shift+P shows the
// program-information box). A window of 10800 x 8500 twips, centred.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/state.h"
#include "core/window.h"
#include "ui/list_moves.h"

namespace vt {

class Scelta : public WindowPresenter {
 public:
  static constexpr const char* kFormName = "Scelta";

  // Window size in twips.
  static constexpr int kWidth = 10800;
  static constexpr int kHeight = 8500;

  // Entry separator of ELENCOSCELTE.
  static constexpr char kSeparator = '*';

  // Icon keys, in the order in which an entry's text is matched against them.
  static constexpr int kIconCount = 7;
  static constexpr std::array<std::string_view, kIconCount> kIconKeys = {
      "GENERICO", "STAMPA", "MEMORIZZA", "AGGIORNA", "FOGLI", "MAGNETICO", "HELP"};
  // The icon of an entry that matches no key.
  static constexpr std::string_view kDefaultIcon = "GENERICO";

  // Characters of the list's key presses, and the window's key-down codes.
  static constexpr char kEnter = 13;
  static constexpr char kEscape = 27;
  static constexpr int kKeyP = 80;
  static constexpr int kShiftMask = 1;
  static constexpr int kCtrlMask = 2;
  static constexpr int kAltMask = 4;

  struct Entry {
    std::string text;  // as given, not upper-cased
    std::string icon;  // one of kIconKeys
  };

  // Texts the caller sets before showing the window.
  std::string LabelTitolo;
  std::array<std::string, 2> ETIC;  // element 1: the heading above the list

  std::string_view formName() const override { return kFormName; }

  // Activation ("FORM_ACTIVATE"): NUMEROSCELTA to 0; with ELENCOSCELTE empty
  // the window closes at once; otherwise sizes and centres the window, fills
  // ICONE and adds every entry of ELENCOSCELTE; the first entry is selected.
  void load() override;

  // Adds one entry with the icon of the first key of ICONE that its
  // upper-cased text contains, "GENERICO" when none ("ADDSTRING").
  void AddString(std::string& strTesto);

  // The list's entries, in order, and the 0-based selected entry.
  const std::vector<Entry>& entries() const { return entries_; }
  std::optional<std::size_t> selected() const { return selected_; }
  const Table<std::string, 1, kIconCount>& ICONE() const { return icone_; }

  // The operator selects entry `index` (0-based), or clears the selection.
  void listSelect(std::optional<std::size_t> index);
  // A moving key in the list, `pageRows` lines showing: selects the entry it
  // lands on.
  void listMove(ListMove move, int pageRows);

  // Double click on the list ("LSTELENCO_DBLCLICK"): chooses the selected entry.
  void listDoubleClick();
  // A character typed in the list ("LSTELENCO_KEYPRESS"): Enter chooses the
  // selected entry, Escape leaves; other characters do nothing.
  void listKeyPress(char keyAscii);
  // The exit button cmdUscita: leaves without a choice.
  void exitClick();
  // A key going down anywhere in the window, seen before the list; `shift` is
  // the sum of kShiftMask, kCtrlMask, kAltMask held. True when the window used
  // the key (Ctrl+Shift+P: the information box), so the list must not see it.
  bool keyDown(int keyCode, int shift);

 protected:
  // Closing ("FORM_UNLOAD"): TABTESTI entry 49 gets the selected entry's
  // text or ""; ELENCOSCELTE is emptied.
  void unload() override;

 private:
  void choose();
  void leave();

  std::vector<Entry> entries_;
  std::optional<std::size_t> selected_;
  Table<std::string, 1, kIconCount> icone_;
};

}  // namespace vt
