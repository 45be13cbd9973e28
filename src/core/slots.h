// The slots of the shared tables TABPARAM, TABTESTI and TABFLAG (core/state.h)
// that this program uses: one name each, what the slot holds and who writes
// it. Every reader and writer takes the slot from here.
#pragma once

namespace vt {

// --- TABPARAM ----------------------------------------------------------------
// The chosen archive, written by MAIN after the menu (ui/archives.h
// gives the values), read by the browser, the copy window and SCRIVI2.
inline constexpr int kParamStandardFile = 1;         // file number of the standard archive (201 to 206)
inline constexpr int kParamKeyPosition = 2;          // key: 1-based position in the record
inline constexpr int kParamKeyLength = 3;            // key: length; 10 marks the employee archive
inline constexpr int kParamDescriptionPosition = 4;  // description: 1-based position in the record
inline constexpr int kParamDescriptionLength = 5;    // description: length
inline constexpr int kParamUserFile = 9;             // file number of the user archive
// The field editor of the key change dialog (ui/field_editor.h) and the dialog.
inline constexpr int kParamRedisplay = 10;      // 1 while the window itself rewrites an input box
inline constexpr int kParamCaret = 11;          // caret position, 0-based, in the current box
inline constexpr int kParamEditing = 13;        // 1 while an input box has the focus
inline constexpr int kParamTypingStarted = 18;  // set to 1 by the editor on the first key; never cleared
inline constexpr int kParamCurrentBox = 20;     // index 0-2 of the box that has, or last had, the focus
// The number of the menu entry chosen, written by MAIN.
inline constexpr int kParamChoice = 21;
// Written by COD_DIP$ for the key change dialog.
inline constexpr int kParamCheckMode = 47;     // 0 checks after the last box, 1 after every box, 2 on Enter
inline constexpr int kParamKeyIndexFile = 48;  // file number of the employee-key index (7 or 30)

// --- TABTESTI ----------------------------------------------------------------
// Written by DOMANDA (util/questions.h).
inline constexpr int kTextAnswerType = 47;     // the full answer type of the current question
inline constexpr int kTextDefaultAnswer = 48;  // the default answer: a caller may preset it; emptied on return
// The text of the menu entry chosen, written by the choice window as it closes;
// the browser and the copy window show it as the archive's title.
inline constexpr int kTextChosenArchive = 49;
// The key the key change dialog edits and hands back ("" = no key), read by COD_DIP$.
inline constexpr int kTextKey = 50;

// --- TABFLAG -----------------------------------------------------------------
// 1 when the operator left the browser with "&Uscita" (written by the browser),
// otherwise 0 (cleared by the browser, the copy window, SCRIVI2 and the key
// change dialog); read by MAIN, which then ends the run.
inline constexpr int kFlagLeftBrowser = 25;

}  // namespace vt
