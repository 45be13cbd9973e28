// CODNUO, "Variazione Chiave - Codice Nuovo": the window in which a copied
// employee gets its new ten-digit code (company 3, sub-company 3, employee 4
// digits). The operator types the three parts into three boxes or picks the
// company from the list of live companies; the code is checked against the
// live company archive and the employee index and handed back in TABTESTI
// entry 50 ("" = no code).
//
// Files: the opener has opened file 1 (live companies, record number =
// company code) and the employee index whose number stands in TABPARAM(kParamKeyIndexFile).
// TABPARAM(kParamCheckMode) is the check mode: 0 checks after the last box, 1 after every
// box, 2 when Enter leads to the last box or beyond.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/window.h"
#include "ui/field_editor.h"
#include "ui/list_moves.h"
#include "ui/lookup_list.h"

namespace vt {

// The highest company code listed.
inline constexpr int kLastCompanyCode = 998;
// The status value of a free record.
inline constexpr double kFreeRecordStatus = 99;

// The key: company, sub-company and employee parts (1-based positions).
inline constexpr std::size_t kKeyLength = 10;
inline constexpr std::size_t kCompanyPos = 1;
inline constexpr std::size_t kCompanyWidth = 3;
inline constexpr std::size_t kSubCompanyWidth = 3;
inline constexpr std::size_t kEmployeePos = 7;
inline constexpr std::size_t kEmployeeWidth = 4;
// Positions 4 to 10 (sub-company and employee): all zero means no key.
inline constexpr std::size_t kBelowCompanyPos = 4;
inline constexpr std::size_t kBelowCompanyWidth = 7;
inline constexpr const char* kEmptyKey = "0000000000";

// The 16-colour palette entries of the labels.
inline constexpr int kColourBlack = 0;
inline constexpr int kColourBrightWhite = 15;

// Shift state of a key: Shift alone.
inline constexpr int kShiftOnly = 1;

struct LabelColours {
  int background = kColourBrightWhite;
  int foreground = kColourBlack;
};

class Codnuo : public WindowPresenter {
 public:
  static constexpr int kBoxes = FieldEditor::kFieldCount;
  // The field definitions of the three boxes (layout in field_editor.h).
  static constexpr std::array<const char*, kBoxes> kDefinitions = {
      "---Ditta                  ---03N-0000000--000-P00100011000000010000XP001-----",
      "---Sottoditta             ---03N-0000000--000-000000041000000010000XP102-----",
      "---Dipendente             ---04N-0000000--000-P00200071000000010000XP002-----",
  };
  static constexpr const char* kFormName = "CODNUO";
  static constexpr const char* kCaption = "Variazione Chiave - Codice Nuovo";
  static constexpr const char* kTitle = "VARIAZIONE CHIAVE - CODICE";
  static constexpr const char* kListHeading = "LISTA DITTE";
  static constexpr const char* kInputHeading = "INSERIRE NUOVO CODICE";
  static constexpr const char* kConfirmCaption = "&Conferma";
  static constexpr const char* kExitCaption = "&Uscita";
  // Window size in twips.
  static constexpr int kWidth = 8400;
  static constexpr int kHeight = 6300;

  std::string_view formName() const override { return kFormName; }

  // Centres the window, starts from the all-zero key, shows the fields
  // (CARICAN), lists the companies (CARDITN) and puts the focus in the
  // company box.
  void load() override;

  // --- What the view shows --------------------------------------------------
  // The caption of label ET(i): a blank and the field's name.
  const std::string& labelCaption(int i) const { return labels_.at(static_cast<std::size_t>(i)); }
  LabelColours labelColours(int i) const { return colours_.at(static_cast<std::size_t>(i)); }
  // Text and caret of box CX(i).
  const FieldBox& box(int i) const { return editor_.box(i); }
  // The companies list R1: one item per live company, in file order.
  const std::vector<std::string>& companies() const { return companies_; }
  // The selected company item, -1 for none.
  int selectedCompany() const { return selected_; }
  // The box that has the focus, or -1.
  int focusedBox() const { return focus_ == Focus::kBox ? focusedBox_ : -1; }
  bool listHasFocus() const { return focus_ == Focus::kList; }
  // Whether Command1, the default button that takes Enter, is there: yes
  // while a box has the focus, no while the list or a button has it.
  bool defaultButtonVisible() const { return defaultButtonVisible_; }
  // The key as it stands (TABTESTI entry 50).
  std::string key() const;

  // --- Events from the view --------------------------------------------------
  // Box i, the list, or another control (a button) gained the focus.
  void boxFocused(int i);
  void listFocused();
  void otherFocused();
  // Key-down in box i with key code `key` and shift state `shift` (1 Shift,
  // 2 Ctrl, 4 Alt): F1, Up, Down, Escape, Left and Right. Returns true when
  // the key was handled here and the box must not act on it.
  bool boxKeyDown(int i, int key, int shift);
  // A typed character in box i (Windows-1252 code; 8 Backspace, 127
  // Ctrl+Backspace).
  void boxKeyPress(int i, int code);
  // Box i changed its text by itself (Delete, paste, cut): it shows its
  // buffer again.
  void boxEdited(int i, const std::string& text);
  // The caret of box i moved by the box's own means (Home, End, a click).
  void boxCaretMoved(int i, int caret);
  // Command1 was clicked: Enter while a box has the focus.
  void commandClick();
  // The list's selection moved to `index` (-1 for none).
  void listSelect(int index);
  // A moving key in the list, `pageRows` lines showing: selects the company
  // it lands on.
  void listMove(ListMove move, int pageRows);
  // A character typed in the list: Enter picks, Escape leaves.
  void listKeyPress(int code);
  void listDoubleClick();
  // Label ET(i) was clicked.
  void labelClick(int i);
  // "&Conferma": the key as the boxes show it, with no check; a box with a
  // blank between its digits is refused with a beep, the window left open.
  void confirmClick();
  // "&Uscita": no key.
  void exitClick();

  // --- The window's operations ----------------------------------------------
  // Loads the definitions and shows the three fields from the key.
  void CARICAN();
  // Fills the companies list from file 1: codes 1 to 998 up to the end of
  // the file, free records skipped.
  void CARDITN();
  // Checks the key under the task semaphore: the company must exist, the
  // code must be free, and the operator confirms; then the window closes
  // with the key. Otherwise the focus goes back to the company box. The
  // semaphore is held while an error message waits, free while the
  // confirmation waits, and free after every way out.
  void VERIFN();
  // Highlights label ET(i) (white on black) / restores it (black on white).
  void ACCENDIN(int i);
  void SPEGNIN(int i);

  FieldEditor& editor() { return editor_; }
  // The lookup list window, closed together with this one.
  Lista& lookupList() { return lookupList_; }

 protected:
  // Whatever way the window closes, a key with sub-company and employee both
  // zero counts as no key; the lookup list closes with it.
  void unload() override;

 private:
  enum class Focus { kNone, kBox, kList };

  void focusBox(int i);
  void focusList();
  void leaveFocus();
  void pickCompany();
  void leave();

  FieldEditor editor_;
  Lista lookupList_;
  std::array<std::string, kBoxes> labels_;
  std::array<LabelColours, kBoxes> colours_{};
  std::vector<std::string> companies_;
  int selected_ = -1;
  Focus focus_ = Focus::kNone;
  int focusedBox_ = -1;
  bool defaultButtonVisible_ = false;
};

}  // namespace vt
