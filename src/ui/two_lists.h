// The two-list windows: the browser (Filestan) and the copy window (Filesta2)
// show the same frame, two lists of archive lines side by side with option
// buttons between them, and take the same events. This base holds the two
// lists, their selections, the focus and the archive's title, and declares the
// events once; each window decides what its buttons, double clicks and Enter do.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/window.h"
#include "ui/archive_lines.h"
#include "ui/list_moves.h"

namespace vt {

class TwoListWindow : public WindowPresenter {
 public:
  // The lists, by the index the form gives them: Riepilogo1(0) on the left,
  // Riepilogo1(1) on the right.
  static constexpr int kLeftList = 0;
  static constexpr int kRightList = 1;

  // The window's size as the start-up gives it, in twips.
  static constexpr int kWidthTwips = 10800;
  static constexpr int kHeightTwips = 8500;

  // The key that acts on a list's selected line.
  static constexpr std::int16_t kEnterKey = 13;

  // --- Events (what the view forwards) ---------------------------------------

  // Button `button` of the Comando1 array was clicked.
  virtual void commandClick(int button) = 0;
  // A line of list `list` was double-clicked.
  virtual void listDoubleClick(int list) = 0;
  // A character key `keyAscii` in list `list`.
  virtual void listKeyPress(int list, std::int16_t keyAscii) = 0;
  // The operator selected line `index` of list `list` (-1: none); another
  // list number does nothing.
  void listSelect(int list, int index);
  // A moving key in list `list`, `pageRows` lines showing: selects the line
  // it lands on.
  void listMove(int list, ListMove move, int pageRows);

  // --- State a view shows ------------------------------------------------------

  // The lines and the selected line (-1: none) of `list`; any number other
  // than kRightList is taken as the left list.
  const std::vector<std::string>& lines(int list) const;
  int selected(int list) const;
  // The list that last took the keyboard focus, and a number that grows
  // each time a procedure gives a list the focus.
  int focusedList() const { return focusedList_; }
  unsigned focusRequests() const { return focusRequests_; }
  // The title of the chosen archive (label Etichetta1(15)).
  const std::string& archiveTitle() const { return archiveTitle_; }
  // Caption of button `button` of the Comando1 array ("" for none).
  virtual const char* buttonCaption(int button) const = 0;

  // The fixed texts both windows show.
  static constexpr const char* kCaption = "Archivi Standard";
  static constexpr const char* kHeading = "GESTIONE ARCHIVI STANDARD";
  static constexpr const char* kSelectedArchiveLabel = " ARCHIVIO SELEZIONATO";
  static constexpr const char* kDesignTitle = "Archivio Standard";
  static constexpr const char* kOptionsLabel = "OPZIONI";

 protected:
  ArchiveList& archiveList(int list) { return lists_[list == kRightList ? kRightList : kLeftList]; }
  // Gives list `list` the keyboard focus.
  void focusList(int list);
  void setArchiveTitle(const std::string& title) { archiveTitle_ = title; }

  // Adds to `list` the lines of the records in use of file `file`: records 1 to
  // kMaxListedRecords up to the end of the file (FINEARCHIVIO), each read
  // into its buffer with LEGGIREC; `isFree(file)` tells a free record in the
  // buffer, `line(buffer, record)` makes the line of one in use.
  void listRecords(ArchiveList& list, int file, bool (*isFree)(int file),
                   std::string (*line)(std::string_view buffer, int record));

 private:
  ArchiveList lists_[2];
  int focusedList_ = kLeftList;
  unsigned focusRequests_ = 0;
  std::string archiveTitle_ = kDesignTitle;
};

}  // namespace vt
