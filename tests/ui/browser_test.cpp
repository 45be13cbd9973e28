// The standard archive browser: what it lists, how lines move between its
// two lists, and what it leaves behind for the start-up and the copy window.
#include <gtest/gtest.h>

#include <algorithm>

#include "archive_install.h"
#include "core/state.h"
#include "scripted_dialogs.h"
#include "temp_install.h"
#include "ui/browser.h"
#include "ui/copy_window.h"

namespace vt {
namespace {

using testing::ArchiveInstall;
using testing::freeRecord;
using testing::kCompanies;
using testing::kEmployees;
using testing::keyedRecord;
using testing::lineOf;
using testing::numberedRecord;
using testing::numberedRecords;
using testing::ScriptedDialogs;
using testing::ThrowingEndHook;

constexpr int kCompanyLength = 60;
constexpr int kEmployeeLength = 9600;

using Lines = std::vector<std::string>;

class BrowserTest : public ::testing::Test {
 protected:
  // A companies archive whose standard file holds `records`, opened with an
  // empty user file.
  void installCompanies(const Lines& records) {
    install.file(201, "STDDITTE.DAT", kCompanyLength, records);
    install.file(1, "DITTE.DAT", kCompanyLength, {});
    install.open(kCompanies);
  }

  // The company line of standard record `number` as numberedRecord makes it.
  static std::string companyLine(int number) {
    return lineOf(kCompanies, numberedRecord(kCompanies, kCompanyLength, number));
  }

  // An employee record: code at 3, name over the description at 9515.
  static std::string employeeRecord(const std::string& code, const std::string& name, const std::string& head = "00") {
    return keyedRecord(kEmployees, kEmployeeLength, code, name, head);
  }

  bool trailHas(const std::string& name) const {
    for (int slot = 1; slot <= kTrailSlots; ++slot) {
      if (S().ULTIMEPROC[slot] == name) return true;
    }
    return false;
  }

  testing::TempFolder folder;
  ScriptedDialogs dialogs;
  ThrowingEndHook endHook;
  ArchiveInstall install{folder};
  Filesta2 copyWindow;
  Filestan browser{copyWindow};
};

TEST_F(BrowserTest, TheLoadListsEveryRecordInUse_KeyBlankDescriptionUntrimmed_InLineOrder) {
  Lines records = numberedRecords(kCompanies, kCompanyLength, 4);
  records[1] = freeRecord(kCompanies, kCompanyLength, "002", "LIBERO");  // record 2 free
  // Record 5 has a key with a leading blank and a short description.
  records.push_back(keyedRecord(kCompanies, kCompanyLength, " 05", "AB"));
  S().TABFLAG[25] = 7;
  installCompanies(records);

  browser.load();

  EXPECT_EQ(browser.lines(Filestan::kStandardList),
            (Lines{" 05 AB" + std::string(28, ' '), companyLine(1), companyLine(3), companyLine(4)}));
  EXPECT_EQ(browser.lines(Filestan::kStandardList)[1], "001 STANDARD 1                    ");
  EXPECT_TRUE(browser.lines(Filestan::kChosenList).empty());
  EXPECT_EQ(browser.selected(Filestan::kStandardList), 0);
  EXPECT_EQ(browser.selected(Filestan::kChosenList), -1);
  EXPECT_EQ(browser.focusedList(), Filestan::kStandardList);
  EXPECT_EQ(browser.archiveTitle(), "1 - ARCHIVIO DITTE     ");
  EXPECT_EQ(S().TABFLAG[25], 0);
  EXPECT_FALSE(browser.isClosed());
  EXPECT_FALSE(browser.foundNoRecords());
  EXPECT_TRUE(dialogs.boxes().empty());
  EXPECT_TRUE(trailHas("FORM_LOAD"));
  // The last read reached the end of the archive.
  EXPECT_EQ(S().FINEARCHIVIO, 1);
}

TEST_F(BrowserTest, TheWindowIsCentredOnTheScreen_AtItsFixedSize) {
  installCompanies(numberedRecords(kCompanies, kCompanyLength, 1));
  dialogs.setScreenSize({15361, 11521});
  browser.load();
  EXPECT_EQ(browser.geometry().width, 10800);
  EXPECT_EQ(browser.geometry().height, 8500);
  EXPECT_EQ(browser.geometry().left, 2280);  // (15361 - 10800) / 2, truncated
  EXPECT_EQ(browser.geometry().top, 1510);   // (11521 - 8500) / 2, truncated
}

TEST_F(BrowserTest, AnEmployeeLine_IsTheName_ABlank_AndTheFiveDigitRecordNumberFromCharacter37) {
  install.file(202, "STDDIP.DAT", kEmployeeLength,
               {employeeRecord("0010010001", "ROSSI MARIO"), employeeRecord("0010010002", "BIANCHI ANNA"),
                employeeRecord("0010010003", "LIBERO", "99"), employeeRecord("0010010004", "VERDI LUCA"),
                employeeRecord("0010010005", "ANTONELLI PIA"), employeeRecord("0010010006", "VUOTO", "99"),
                employeeRecord("0010010007", "ZANON EVA")});
  install.file(2, "DIPEN.DAT", kEmployeeLength, {});
  install.open(kEmployees);

  browser.load();

  const Lines& lines = browser.lines(Filestan::kStandardList);
  // In name order; the numbers jump over the free records 3 and 6.
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "ANTONELLI PIA" + std::string(22, ' ') + " 00005");
  EXPECT_EQ(lines[1], "BIANCHI ANNA" + std::string(23, ' ') + " 00002");
  EXPECT_EQ(lines[2], "ROSSI MARIO" + std::string(24, ' ') + " 00001");
  EXPECT_EQ(lines[3], "VERDI LUCA" + std::string(25, ' ') + " 00004");
  EXPECT_EQ(lines[4], "ZANON EVA" + std::string(26, ' ') + " 00007");
  for (const std::string& line : lines) {
    EXPECT_EQ(line.size(), 41u);
    EXPECT_EQ(line[35], ' ');
  }
  EXPECT_EQ(lines[4].substr(36, 5), "00007");
}

TEST_F(BrowserTest, AnArchiveOfMoreThanAThousandRecords_ListsOnlyRecordsOneToAThousandInUse) {
  Lines records = numberedRecords(kCompanies, kCompanyLength, 1003);
  records[499] = freeRecord(kCompanies, kCompanyLength, "500");
  installCompanies(records);

  browser.load();

  const Lines& lines = browser.lines(Filestan::kStandardList);
  ASSERT_EQ(lines.size(), 999u);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), companyLine(500)), 0);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), companyLine(1000)), 1);
  // Keys of three characters: record 1000 has the key "000" and comes first.
  EXPECT_EQ(lines.front(), companyLine(1000));
  for (int beyond : {1001, 1002, 1003}) {
    EXPECT_EQ(std::count(lines.begin(), lines.end(), companyLine(beyond)), 0) << beyond;
  }
  // The 1,001st record was never read.
  EXPECT_EQ(S().ULTIMOREC[201], 1000);
}

TEST_F(BrowserTest, WithNoRecordInUse_TheBrowserSaysNessunRecordTrovato_AndClosesWithNothingToCopy) {
  for (const Lines& records : {Lines{}, Lines{freeRecord(kCompanies, kCompanyLength, "001"),
                                             freeRecord(kCompanies, kCompanyLength, "002")}}) {
    testing::TempFolder other;
    ScriptedDialogs boxes;
    ArchiveInstall otherInstall(other);
    otherInstall.file(201, "STDDITTE.DAT", kCompanyLength, records);
    otherInstall.file(1, "DITTE.DAT", kCompanyLength, {});
    otherInstall.open(kCompanies);
    Filesta2 copy;
    Filestan empty(copy);
    S().TABFLAG[25] = 1;

    empty.load();

    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "NESSUN RECORD TROVATO");
    EXPECT_EQ(boxes.boxes()[0].buttons, Buttons::kOk);
    EXPECT_EQ(boxes.boxes()[0].icon, Icon::kNone);
    EXPECT_EQ(boxes.boxes()[0].title, "");
    EXPECT_TRUE(empty.isClosed());
    EXPECT_TRUE(empty.foundNoRecords());
    EXPECT_EQ(S().TABFLAG[25], 0);
    EXPECT_TRUE(copy.lines(Filesta2::kChosenList).empty());
    // The title stays the one of the design.
    EXPECT_EQ(empty.archiveTitle(), "Archivio Standard");
  }
}

TEST_F(BrowserTest, SingleMove_MovesTheSelectedLine_ThenSelectsTheFirstLineOfTheSource) {
  installCompanies(numberedRecords(kCompanies, kCompanyLength, 4));
  browser.load();

  browser.select(Filestan::kStandardList, 2);
  browser.COMANDO1_CLICK(Filestan::kChooseOne);
  EXPECT_EQ(browser.lines(Filestan::kStandardList), (Lines{companyLine(1), companyLine(2), companyLine(4)}));
  EXPECT_EQ(browser.lines(Filestan::kChosenList), (Lines{companyLine(3)}));
  EXPECT_EQ(browser.selected(Filestan::kStandardList), 0);
  EXPECT_EQ(browser.focusedList(), Filestan::kStandardList);

  // Record 1 joins the chosen list before record 3: the list keeps line order.
  browser.SCEGLISINGOLO();
  EXPECT_EQ(browser.lines(Filestan::kChosenList), (Lines{companyLine(1), companyLine(3)}));

  // Back with "Singolo": the line returns to its place in the standard list.
  browser.select(Filestan::kChosenList, 1);
  unsigned focusBefore = browser.focusRequests();
  browser.COMANDO1_CLICK(Filestan::kReturnOne);
  EXPECT_EQ(browser.lines(Filestan::kStandardList), (Lines{companyLine(2), companyLine(3), companyLine(4)}));
  EXPECT_EQ(browser.lines(Filestan::kChosenList), (Lines{companyLine(1)}));
  EXPECT_EQ(browser.selected(Filestan::kChosenList), 0);
  EXPECT_EQ(browser.focusedList(), Filestan::kChosenList);
  EXPECT_GT(browser.focusRequests(), focusBefore);
  EXPECT_TRUE(trailHas("CARICABBS"));
  EXPECT_TRUE(trailHas("COMANDO1_CLICK"));
}

TEST_F(BrowserTest, SingleMove_WithNoLineSelected_DoesNothing_AndTheLastLineLeavesTheSourceUnselected) {
  installCompanies(numberedRecords(kCompanies, kCompanyLength, 2));
  browser.load();

  browser.COMANDO1_CLICK(Filestan::kReturnOne);  // nothing chosen, nothing selected
  browser.select(Filestan::kStandardList, -1);
  browser.COMANDO1_CLICK(Filestan::kChooseOne);
  EXPECT_EQ(browser.lines(Filestan::kStandardList).size(), 2u);
  EXPECT_TRUE(browser.lines(Filestan::kChosenList).empty());

  browser.select(Filestan::kStandardList, 0);
  browser.SCEGLISINGOLO();
  browser.SCEGLISINGOLO();
  EXPECT_TRUE(browser.lines(Filestan::kStandardList).empty());
  EXPECT_EQ(browser.selected(Filestan::kStandardList), -1);
  EXPECT_EQ(browser.lines(Filestan::kChosenList), (Lines{companyLine(1), companyLine(2)}));
  // The chosen list selects nothing of its own accord.
  EXPECT_EQ(browser.selected(Filestan::kChosenList), -1);
  browser.SCEGLISINGOLO();
  EXPECT_EQ(browser.lines(Filestan::kChosenList).size(), 2u);
}

TEST_F(BrowserTest, MoveAll_AddsEveryRemainingLineToThoseAlreadyThere_AndOnAnEmptyListDoesNothing) {
  installCompanies(numberedRecords(kCompanies, kCompanyLength, 5));
  browser.load();

  browser.select(Filestan::kStandardList, 3);
  browser.SCEGLISINGOLO();
  browser.COMANDO1_CLICK(Filestan::kChooseAll);
  EXPECT_TRUE(browser.lines(Filestan::kStandardList).empty());
  EXPECT_EQ(browser.lines(Filestan::kChosenList),
            (Lines{companyLine(1), companyLine(2), companyLine(3), companyLine(4), companyLine(5)}));

  browser.SCEGLITUTTI();  // empty source
  EXPECT_EQ(browser.lines(Filestan::kChosenList).size(), 5u);

  browser.COMANDO1_CLICK(Filestan::kReturnAll);
  EXPECT_EQ(browser.lines(Filestan::kStandardList),
            (Lines{companyLine(1), companyLine(2), companyLine(3), companyLine(4), companyLine(5)}));
  EXPECT_TRUE(browser.lines(Filestan::kChosenList).empty());
  browser.TOGLITUTTI();
  EXPECT_EQ(browser.lines(Filestan::kStandardList).size(), 5u);
}

TEST_F(BrowserTest, DoubleClickAndEnter_MoveTheSelectedLineOfEitherList_OtherKeysDoNothing) {
  installCompanies(numberedRecords(kCompanies, kCompanyLength, 3));
  browser.load();

  browser.RIEPILOGO1_DBLCLICK(Filestan::kStandardList);  // line 1 selected at load
  EXPECT_EQ(browser.lines(Filestan::kChosenList), (Lines{companyLine(1)}));
  EXPECT_TRUE(trailHas("RIEPILOGO1_DBLCLICK"));

  browser.RIEPILOGO1_KEYPRESS(Filestan::kStandardList, 32);
  browser.RIEPILOGO1_KEYPRESS(Filestan::kStandardList, 'A');
  EXPECT_EQ(browser.lines(Filestan::kChosenList).size(), 1u);
  browser.RIEPILOGO1_KEYPRESS(Filestan::kStandardList, 13);
  EXPECT_EQ(browser.lines(Filestan::kChosenList), (Lines{companyLine(1), companyLine(2)}));
  EXPECT_TRUE(trailHas("RIEPILOGO1_KEYPRESS"));

  browser.select(Filestan::kChosenList, 1);
  browser.RIEPILOGO1_KEYPRESS(Filestan::kChosenList, 13);
  EXPECT_EQ(browser.lines(Filestan::kChosenList), (Lines{companyLine(1)}));
  browser.RIEPILOGO1_DBLCLICK(Filestan::kChosenList);
  EXPECT_TRUE(browser.lines(Filestan::kChosenList).empty());
  EXPECT_EQ(browser.lines(Filestan::kStandardList), (Lines{companyLine(1), companyLine(2), companyLine(3)}));
}

TEST_F(BrowserTest, EveryWayOut_HandsTheChosenLinesToTheCopyWindow_OnlyUscitaSetsTheFlag) {
  enum class Way { kConfirm, kLeave, kTitleBar };
  for (Way way : {Way::kConfirm, Way::kLeave, Way::kTitleBar}) {
    testing::TempFolder other;
    ScriptedDialogs boxes;
    ArchiveInstall otherInstall(other);
    otherInstall.file(201, "STDDITTE.DAT", kCompanyLength, numberedRecords(kCompanies, kCompanyLength, 4));
    otherInstall.file(1, "DITTE.DAT", kCompanyLength, {});
    otherInstall.open(kCompanies);
    Filesta2 copy;
    Filestan window(copy);
    window.load();
    window.select(Filestan::kStandardList, 3);
    window.SCEGLISINGOLO();
    window.select(Filestan::kStandardList, 1);
    window.SCEGLISINGOLO();

    switch (way) {
      case Way::kConfirm: window.COMANDO1_CLICK(Filestan::kConfirm); break;
      case Way::kLeave: window.COMANDO1_CLICK(Filestan::kLeave); break;
      case Way::kTitleBar: window.close(); break;
    }

    EXPECT_TRUE(window.isClosed());
    EXPECT_EQ(copy.lines(Filesta2::kChosenList), (Lines{companyLine(2), companyLine(4)}));
    EXPECT_EQ(S().TABFLAG[25], way == Way::kLeave ? 1 : 0);
    EXPECT_TRUE(boxes.boxes().empty());
  }
}

TEST_F(BrowserTest, ClosingWithNothingChosen_HandsNothingOver) {
  installCompanies(numberedRecords(kCompanies, kCompanyLength, 2));
  browser.load();
  browser.COMANDO1_CLICK(Filestan::kConfirm);
  EXPECT_TRUE(browser.isClosed());
  EXPECT_TRUE(copyWindow.lines(Filesta2::kChosenList).empty());
  // A second close does not hand anything over again.
  browser.close();
  EXPECT_TRUE(copyWindow.lines(Filesta2::kChosenList).empty());
}

}  // namespace
}  // namespace vt
