// The choice list window: its entries and icons, choosing, leaving, and what
// the caller reads back when it has closed.
#include <gtest/gtest.h>

#include "core/state.h"
#include "scripted_dialogs.h"
#include "temp_install.h"
#include "ui/choice_window.h"

namespace vt {
namespace {

using testing::ScriptedDialogs;
using testing::TempFolder;

// The six archives of the start-up's menu, exactly as the start-up offers them.
const std::string kArchiveMenu =
    "1 - ARCHIVIO DITTE     *2 - ARCHIVIO DIPENDENTI*3 - ARCHIVIO FORMULE   *"
    "4 - ARCHIVIO SETTORI   *5 - ARCHIVIO DATI FISSI*6 - ARCHIVIO PROFILI    ";

// A choice window loaded with `entries` as ELENCOSCELTE.
struct OpenWindow {
  explicit OpenWindow(const std::string& entries) {
    S().ELENCOSCELTE = entries;
    window.load();
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> t;
    for (const auto& e : window.entries()) t.push_back(e.text);
    return t;
  }
  std::vector<std::string> icons() const {
    std::vector<std::string> t;
    for (const auto& e : window.entries()) t.push_back(e.icon);
    return t;
  }
  Scelta window;
};

TEST(ChoiceList, EntriesAreSplitAtStars_TrimmedExceptTheLast_WithTheFirstSelected) {
  TempFolder folder;
  ScriptedDialogs boxes;
  OpenWindow menu(kArchiveMenu);
  EXPECT_EQ(menu.texts(), (std::vector<std::string>{"1 - ARCHIVIO DITTE", "2 - ARCHIVIO DIPENDENTI",
                                                     "3 - ARCHIVIO FORMULE", "4 - ARCHIVIO SETTORI",
                                                     "5 - ARCHIVIO DATI FISSI", "6 - ARCHIVIO PROFILI    "}));
  EXPECT_EQ(menu.window.selected(), 0u);
  EXPECT_FALSE(menu.window.isClosed());
  EXPECT_EQ(S().NUMEROSCELTA, 0);

  OpenWindow blanks("  uno  *  due  ");
  EXPECT_EQ(blanks.texts(), (std::vector<std::string>{"uno", "  due  "}));
  OpenWindow trailingStar("uno*");
  EXPECT_EQ(trailingStar.texts(), (std::vector<std::string>{"uno", ""}));
}

TEST(ChoiceList, TheWindowIsSizedAndCentredInTwips) {
  TempFolder folder;
  ScriptedDialogs boxes;
  boxes.setScreenSize({15361, 11521});
  OpenWindow menu(kArchiveMenu);
  const TwipsRect& g = menu.window.geometry();
  EXPECT_EQ(g.width, 10800);
  EXPECT_EQ(g.height, 8500);
  EXPECT_EQ(g.left, (15361 - 10800) / 2);
  EXPECT_EQ(g.top, (11521 - 8500) / 2);
}

TEST(ChoiceList, EachEntryGetsTheIconOfTheFirstKeywordItContains) {
  TempFolder folder;
  ScriptedDialogs boxes;
  OpenWindow list("Stampa cedolini*MEMORIZZA E STAMPA*memorizza dati*aggiorna tabelle*"
                  "fogli presenze*supporto magnetico*help in linea*1 - ARCHIVIO DITTE");
  EXPECT_EQ(list.icons(), (std::vector<std::string>{"STAMPA", "STAMPA", "MEMORIZZA", "AGGIORNA", "FOGLI",
                                                     "MAGNETICO", "HELP", "GENERICO"}));
  EXPECT_EQ(list.texts()[0], "Stampa cedolini") << "the text keeps its case";
  EXPECT_EQ(list.window.ICONE()[1], "GENERICO");
  EXPECT_EQ(list.window.ICONE()[7], "HELP");

  std::string extra = "ristampa";
  list.window.AddString(extra);
  EXPECT_EQ(list.window.entries().back().icon, "STAMPA");
  EXPECT_EQ(S().ULTIMEPROC[S().POSPROC], "ADDSTRING");
}

TEST(ChoiceList, EnterOrDoubleClickChoosesTheSelectedEntry_AndClosingHandsItsTextBack) {
  TempFolder folder;
  ScriptedDialogs boxes;
  {
    OpenWindow menu(kArchiveMenu);
    menu.window.select(2);
    menu.window.listKeyPress('a');
    EXPECT_FALSE(menu.window.isClosed()) << "other characters do nothing";
    menu.window.listKeyPress(Scelta::kEnter);
    EXPECT_TRUE(menu.window.isClosed());
    EXPECT_EQ(S().NUMEROSCELTA, 3);
    EXPECT_EQ(S().TABTESTI[49], "3 - ARCHIVIO FORMULE");
    EXPECT_EQ(S().ELENCOSCELTE, "");
  }
  {
    OpenWindow menu(kArchiveMenu);
    menu.window.select(5);
    menu.window.listDoubleClick();
    EXPECT_EQ(S().NUMEROSCELTA, 6);
    EXPECT_EQ(S().TABTESTI[49], "6 - ARCHIVIO PROFILI    ") << "the last entry keeps its four blanks";
  }
  {
    OpenWindow menu(kArchiveMenu);
    menu.window.select(std::nullopt);
    menu.window.listKeyPress(Scelta::kEnter);
    menu.window.listDoubleClick();
    EXPECT_FALSE(menu.window.isClosed()) << "nothing selected, nothing chosen";
    menu.window.select(99);
    EXPECT_EQ(menu.window.selected(), std::nullopt) << "a selection past the list selects nothing";
  }
}

TEST(ChoiceList, EscapeOrTheExitButtonLeaveWithoutAChoice_EvenWithAnEntryHighlighted) {
  TempFolder folder;
  ScriptedDialogs boxes;
  for (bool escape : {true, false}) {
    S().TABTESTI[49] = "vecchio";
    OpenWindow menu(kArchiveMenu);
    menu.window.select(3);
    if (escape) {
      menu.window.listKeyPress(Scelta::kEscape);
    } else {
      menu.window.exitClick();
    }
    EXPECT_TRUE(menu.window.isClosed());
    EXPECT_EQ(S().NUMEROSCELTA, 0);
    EXPECT_EQ(S().TABTESTI[49], "");
    EXPECT_EQ(menu.window.selected(), std::nullopt);
    EXPECT_EQ(S().ELENCOSCELTE, "");
  }
}

TEST(ChoiceList, AnEmptyListClosesTheWindowAtOnce) {
  TempFolder folder;
  ScriptedDialogs boxes;
  S().NUMEROSCELTA = 4;
  S().TABTESTI[49] = "vecchio";
  S().ELENCOSCELTE = "";
  Scelta window;
  dialogs().showModal(window);  // no script needed: the window never waits
  EXPECT_TRUE(window.isClosed());
  EXPECT_EQ(S().NUMEROSCELTA, 0);
  EXPECT_EQ(S().TABTESTI[49], "");
  EXPECT_TRUE(window.entries().empty());
}

TEST(ChoiceList, CtrlShiftPShowsTheInformationBox_AndLeavesTheListAsItWas) {
  TempFolder folder;
  ScriptedDialogs boxes;
  S().NOMEPROGRAMMA = " vtmerv ";
  S().NOMEPROGETTO = "VTMERV";
  OpenWindow menu(kArchiveMenu);
  menu.window.select(1);
  const int ctrlShift = Scelta::kCtrlMask | Scelta::kShiftMask;
  EXPECT_FALSE(menu.window.keyDown(Scelta::kKeyP, Scelta::kCtrlMask));
  EXPECT_FALSE(menu.window.keyDown(Scelta::kKeyP, ctrlShift | Scelta::kAltMask));
  EXPECT_FALSE(menu.window.keyDown('Q', ctrlShift));
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_TRUE(menu.window.keyDown(Scelta::kKeyP, ctrlShift));
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Programma tessaro\r\rNome EXE : VTMERV.EXE\rNome VBP : VTMERV.VBP\r");
  EXPECT_EQ(boxes.boxes()[0].title, "Informazioni Progetto tessaro");
  EXPECT_EQ(boxes.boxes()[0].icon, Icon::kInformation);
  EXPECT_EQ(menu.window.selected(), 1u);
  EXPECT_EQ(menu.window.entries().size(), 6u);
  EXPECT_FALSE(menu.window.isClosed());
}

TEST(ChoiceList, HandlersRecordTheirNamesInTheTrail) {
  TempFolder folder;
  ScriptedDialogs boxes;
  OpenWindow menu("uno*due");
  auto last = [] { return S().ULTIMEPROC[S().POSPROC]; };
  EXPECT_EQ(S().ULTIMEPROC[1], "FORM_ACTIVATE");
  EXPECT_EQ(last(), "ADDSTRING");
  menu.window.listKeyPress('x');
  EXPECT_EQ(last(), "LSTELENCO_KEYPRESS");
  menu.window.select(std::nullopt);
  menu.window.listDoubleClick();
  EXPECT_EQ(last(), "LSTELENCO_DBLCLICK");
  menu.window.exitClick();
  EXPECT_EQ(last(), "FORM_UNLOAD");
}

}  // namespace
}  // namespace vt
