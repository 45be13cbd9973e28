// The key change dialog over a real installation: live companies in file 1,
// the employee index in file 7, the task semaphore seen from another process.
#include "ui/key_change.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/state.h"
#include "file_table.h"
#include "other_program.h"
#include "platform/files.h"
#include "records/files.h"
#include "records/isam.h"
#include "records/semaphore.h"
#include "scripted_dialogs.h"
#include "temp_install.h"
#include "util/text.h"

namespace vt {
namespace {

using testing::ScriptedDialogs;
using testing::ShownBox;
using testing::ThrowingEndHook;

constexpr const char* kArchives = "drives/C/ARCHIVI/";
constexpr int kCompanyRecordLength = 120;
constexpr int kEmployeeRecordLength = 64;
constexpr int kIndexRecordLength = (10 + 7) * 128;
constexpr double kEmployeeIndex = 7;

// A live company record: status, three-digit code, name.
std::string companyRecord(int code, const std::string& name, const std::string& status = "00") {
  return fitRight(status + zeroPad(std::to_string(code), 3) + fitRight(name, 30), kCompanyRecordLength);
}

// A free slot of the company archive.
std::string freeCompanyRecord(int code) { return companyRecord(code, "LIBERA", "99"); }

// Whether another program could take the task semaphore now: a child
// process tries the exclusive open of "WKSEMA.DAT" and reports.
bool semaphoreFreeForAnotherProgram() {
  const int status = testing::runOtherProgram({"try", S().PERARK + "\\" + kSemaphoreFileName});
  if (status != 0 && status != 1) ADD_FAILURE() << "the second process could not try the lock";
  return status == 0;
}

class KeyChangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    S().PERARK = "C:\\ARCHIVI";
    folder.write(std::string(kArchives) + "WKBASE.DAT",
                 testing::baseTable({{1, {"WKDITTE.DAT", kCompanyRecordLength}},
                                     {2, {"WKDIPE.DAT", kEmployeeRecordLength}},
                                     {7, {"WKDIPK.DAT", kIndexRecordLength}}}));
  }

  // The live companies, in record order (record number = code).
  void writeCompanies(const std::vector<std::string>& records) {
    std::string bytes;
    for (const std::string& r : records) bytes += r;
    folder.write(std::string(kArchives) + "WKDITTE.DAT", bytes);
  }

  // Companies 1 to `count`, named DITTA <code>.
  void writeCompanies(int count) {
    std::vector<std::string> records;
    for (int code = 1; code <= count; ++code) records.push_back(companyRecord(code, "DITTA " + std::to_string(code)));
    writeCompanies(records);
  }

  // The employee index holding `keys` (data records 1, 2, ...), opened as
  // the opener of the window leaves it.
  void openFiles(const std::vector<std::string>& keys = {}) {
    FAIOPEN(kCompanyFile);
    FAIOPEN(kEmployeeIndex);
    ISAM(kEmployeeIndex, "", kIsamInitialise);
    double record = 1;
    for (const std::string& k : keys) ASSERT_EQ(ISAM(kEmployeeIndex, k, kIsamInsert, record++), 0) << k;
    S().TABPARAM[kParamKeyIndexFile] = static_cast<std::int16_t>(kEmployeeIndex);
    S().TABPARAM[kParamCheckMode] = 0;
  }

  void open() { window.load(); }

  // Types `text` into box i, then presses Enter.
  void enter(int i, const std::string& text) {
    type(i, text);
    window.enterInBox();
  }
  void type(int i, const std::string& text) {
    for (char c : text) window.boxCharacter(i, static_cast<unsigned char>(c));
  }
  // Types the three parts, pressing Enter after each.
  void enterCode(const std::string& company, const std::string& subCompany, const std::string& employee) {
    enter(0, company);
    enter(1, subCompany);
    enter(2, employee);
  }

  bool semaphoreFileMade() const { return folder.exists(std::string(kArchives) + kSemaphoreFileName); }

  testing::TempFolder folder;
  ScriptedDialogs dialogs;
  ThrowingEndHook endHook;
  Codnuo window;
};

TEST_F(KeyChangeTest, OpeningShowsZerosTheFieldNamesAndTheLiveCompaniesInFileOrder) {
  writeCompanies({companyRecord(1, "ROSSI SPA"), freeCompanyRecord(2), companyRecord(3, "BIANCHI SRL")});
  openFiles();
  S().TABFLAG[kFlagBrowserExit] = 1;
  S().TABTESTI[kKeyEntry] = "1234567890";  // an earlier request leaves nothing behind
  open();

  EXPECT_EQ(window.key(), "0000000000");
  EXPECT_EQ(window.box(0).text, "0   ");
  EXPECT_EQ(window.box(1).text, "0   ");
  EXPECT_EQ(window.box(2).text, "0    ");
  EXPECT_EQ(window.labelCaption(0), " Ditta     ");
  EXPECT_EQ(window.labelCaption(1), " Sottoditta");
  EXPECT_EQ(window.labelCaption(2), " Dipendente");
  EXPECT_EQ(window.companies(),
            (std::vector<std::string>{"001 " + fitRight("ROSSI SPA", 30) + " ", "003 " + fitRight("BIANCHI SRL", 30) + " "}));
  EXPECT_EQ(S().TABFLAG[kFlagBrowserExit], 0);

  // The company box has the focus, its label highlighted white on black.
  EXPECT_EQ(window.focusedBox(), 0);
  EXPECT_TRUE(window.defaultButtonVisible());
  EXPECT_EQ(window.labelColours(0).background, kColourBlack);
  EXPECT_EQ(window.labelColours(0).foreground, kColourBrightWhite);
  EXPECT_EQ(window.labelColours(1).background, kColourBrightWhite);
  EXPECT_EQ(window.labelColours(1).foreground, kColourBlack);
  EXPECT_EQ(S().TABPARAM[kParamEditing], 1);
  EXPECT_EQ(S().TABPARAM[kParamRedisplay], 0);

  // Centred on the screen.
  EXPECT_EQ(window.geometry().left, (1440 * 16 - Codnuo::kWidth) / 2);
  EXPECT_EQ(window.geometry().top, (1440 * 10 - Codnuo::kHeight) / 2);
  EXPECT_FALSE(semaphoreFileMade()) << "opening checks nothing";
}

TEST_F(KeyChangeTest, PickingACompanyPutsItsCodeInTheKeyAndMovesToTheSubCompany) {
  writeCompanies(6);
  openFiles();
  open();
  ASSERT_EQ(window.companies().size(), 6u);
  ASSERT_EQ(window.companies()[4].substr(0, 4), "005 ");

  window.boxKeyDown(0, kKeyF1, 0);
  EXPECT_TRUE(window.listHasFocus());
  EXPECT_FALSE(window.defaultButtonVisible());
  EXPECT_EQ(S().TABPARAM[kParamEditing], 0);
  EXPECT_EQ(window.labelColours(0).background, kColourBrightWhite);

  window.listSelect(4);
  window.listCharacter(kCharEnter);
  EXPECT_EQ(window.key(), "0050000000");
  EXPECT_EQ(window.box(0).text, "5   ");
  EXPECT_EQ(window.box(1).text, "0   ");
  EXPECT_EQ(window.focusedBox(), 1);
  EXPECT_EQ(window.labelColours(1).background, kColourBlack);
  EXPECT_TRUE(window.defaultButtonVisible());

  // A double-click picks as well.
  window.listFocused();
  window.listSelect(1);
  window.listDoubleClick();
  EXPECT_EQ(window.key(), "0020000000");
  EXPECT_EQ(window.focusedBox(), 1);

  // With nothing selected the key stays; the boxes are shown again from it.
  type(1, "77");
  window.listFocused();
  window.listSelect(-1);
  window.listCharacter(kCharEnter);
  EXPECT_EQ(window.key(), "0020000000");
  EXPECT_EQ(window.box(1).text, "0   ");
  EXPECT_EQ(window.focusedBox(), 1);
  EXPECT_FALSE(window.isClosed());
  EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(KeyChangeTest, BeforeAnythingIsTypedEnterOnlyMovesFromBoxToBox) {
  writeCompanies(3);
  openFiles();
  open();
  for (int expected : {1, 2, 0, 1}) {
    window.enterInBox();
    EXPECT_EQ(window.focusedBox(), expected);
  }
  EXPECT_EQ(window.key(), "0000000000");
  EXPECT_TRUE(dialogs.boxes().empty());
  EXPECT_FALSE(semaphoreFileMade()) << "no check ran";
}

TEST_F(KeyChangeTest, EnterCommitsEachBox_AndAfterTheLastAFreeCodeConfirmedClosesWithTheKey) {
  writeCompanies(3);
  openFiles({"0010000001", "0020000059"});
  open();
  enter(0, "1");
  EXPECT_EQ(window.key(), "0010000000");
  EXPECT_EQ(window.focusedBox(), 1);
  enter(1, "2");
  EXPECT_EQ(window.key(), "0010020000");
  EXPECT_EQ(window.focusedBox(), 2);
  EXPECT_TRUE(dialogs.boxes().empty());

  enter(2, "59");
  ASSERT_EQ(dialogs.boxes().size(), 1u);
  const ShownBox& question = dialogs.boxes()[0];
  EXPECT_EQ(question.text, "CONTINUARE ? ");
  EXPECT_EQ(question.title, "CODICE 0010020059 OK");
  EXPECT_EQ(question.buttons, Buttons::kOkCancel);
  EXPECT_EQ(question.icon, Icon::kInformation);
  EXPECT_TRUE(window.isClosed());
  EXPECT_EQ(S().TABTESTI[kKeyEntry], "0010020059");
  EXPECT_TRUE(window.lookupList().isClosed());
}

TEST_F(KeyChangeTest, ACompanyThatIsNotThereIsRefusedWithItsNumber) {
  writeCompanies({companyRecord(1, "ROSSI"), freeCompanyRecord(2), companyRecord(3, "VERDI")});
  openFiles();
  open();
  // Beyond the end of the company file.
  enterCode("7", "0", "1");
  ASSERT_EQ(dialogs.boxes().size(), 1u);
  EXPECT_EQ(dialogs.boxes()[0].text, "IL CODICE DITTA  7 NON ESISTE");
  EXPECT_EQ(dialogs.boxes()[0].icon, Icon::kCritical);
  EXPECT_EQ(dialogs.boxes()[0].buttons, Buttons::kOk);
  EXPECT_EQ(dialogs.boxes()[0].title, "");
  EXPECT_FALSE(window.isClosed());
  EXPECT_EQ(window.focusedBox(), 0);
  EXPECT_EQ(window.key(), "0070000001") << "the key keeps its value";

  // A free slot counts as no company.
  enterCode("2", "0", "1");
  ASSERT_EQ(dialogs.boxes().size(), 2u);
  EXPECT_EQ(dialogs.boxes()[1].text, "IL CODICE DITTA  2 NON ESISTE");
  EXPECT_FALSE(window.isClosed());
}

TEST_F(KeyChangeTest, ATakenCodeIsRefused_AndCancelAtTheQuestionGoesBackToTheCompanyBox) {
  writeCompanies(3);
  openFiles({"0010000001", "0030020005"});
  open();
  enterCode("3", "2", "5");
  ASSERT_EQ(dialogs.boxes().size(), 1u);
  EXPECT_EQ(dialogs.boxes()[0].text, "IL CODICE DIPENDENTE 0030020005 E' ESITENTE");
  EXPECT_EQ(dialogs.boxes()[0].icon, Icon::kCritical);
  EXPECT_EQ(dialogs.boxes()[0].buttons, Buttons::kOk);
  EXPECT_FALSE(window.isClosed());
  EXPECT_EQ(window.focusedBox(), 0);

  dialogs.answer(Answer::kCancel);
  enterCode("3", "2", "6");
  ASSERT_EQ(dialogs.boxes().size(), 2u);
  EXPECT_EQ(dialogs.boxes()[1].text, "CONTINUARE ? ");
  EXPECT_FALSE(window.isClosed());
  EXPECT_EQ(window.focusedBox(), 0);
  EXPECT_EQ(window.key(), "0030020006");
}

TEST_F(KeyChangeTest, ACodeWithoutCompanyOrEmployeeIsNotCheckedAndClosesNothing) {
  writeCompanies(3);
  openFiles();
  open();
  enterCode("1", "2", "0");
  EXPECT_EQ(window.key(), "0010020000");
  EXPECT_TRUE(dialogs.boxes().empty());
  EXPECT_FALSE(window.isClosed());
  EXPECT_EQ(window.focusedBox(), 0);

  enterCode("0", "2", "5");
  EXPECT_EQ(window.key(), "0000020005");
  EXPECT_TRUE(dialogs.boxes().empty());
  EXPECT_FALSE(window.isClosed());
  EXPECT_EQ(window.focusedBox(), 0);
}

TEST_F(KeyChangeTest, TheSemaphoreIsHeldWhileAnErrorWaits_FreeWhileTheQuestionWaits_AndFreeAfterwards) {
  writeCompanies(3);
  openFiles({"0010000001"});
  open();
  std::vector<std::pair<std::string, bool>> seen;
  dialogs.onMessage([&](const ShownBox& box) { seen.emplace_back(box.text, semaphoreFreeForAnotherProgram()); });

  enterCode("9", "0", "1");  // no such company
  EXPECT_TRUE(semaphoreFreeForAnotherProgram());
  enterCode("1", "0", "1");  // taken
  EXPECT_TRUE(semaphoreFreeForAnotherProgram());
  dialogs.answer(Answer::kCancel);
  enterCode("1", "0", "2");  // free, cancelled
  EXPECT_TRUE(semaphoreFreeForAnotherProgram());
  enterCode("1", "0", "0");  // not checked
  EXPECT_TRUE(semaphoreFreeForAnotherProgram());
  enterCode("1", "0", "3");  // free, confirmed
  EXPECT_TRUE(window.isClosed());
  EXPECT_TRUE(semaphoreFreeForAnotherProgram());
  EXPECT_EQ(S().NUMEROFILE[kSemaphoreFileNumber], 0);

  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0], std::make_pair(std::string("IL CODICE DITTA  9 NON ESISTE"), false));
  EXPECT_EQ(seen[1], std::make_pair(std::string("IL CODICE DIPENDENTE 0010000001 E' ESITENTE"), false));
  EXPECT_EQ(seen[2], std::make_pair(std::string("CONTINUARE ? "), true));
  EXPECT_EQ(seen[3], std::make_pair(std::string("CONTINUARE ? "), true));
}

TEST_F(KeyChangeTest, ConfermaTakesTheKeyAsTheBoxesShowItWithoutAnyCheck) {
  writeCompanies(3);
  openFiles({"0120000034"});
  open();
  // Moving by clicks: the boxes keep what was typed, nothing is committed.
  type(0, "12");
  window.boxFocused(2);
  type(2, "34");
  ASSERT_EQ(window.key(), "0000000000");
  window.confirm();
  EXPECT_TRUE(window.isClosed());
  EXPECT_EQ(S().TABTESTI[kKeyEntry], "0120000034");
  EXPECT_TRUE(dialogs.boxes().empty()) << "company 12 is not there and the code is taken: no check ran";
  EXPECT_FALSE(semaphoreFileMade());
  EXPECT_TRUE(window.lookupList().isClosed());
}

TEST_F(KeyChangeTest, ConfermaWithSubCompanyAndEmployeeZeroGivesNoKey) {
  writeCompanies(3);
  openFiles();
  open();
  type(0, "12");
  window.confirm();
  EXPECT_TRUE(window.isClosed());
  EXPECT_EQ(S().TABTESTI[kKeyEntry], "");
}

TEST_F(KeyChangeTest, ConfermaWritesOnlyDigitsEvenWithABlankInsideABox) {
  writeCompanies(3);
  openFiles();
  open();
  type(0, "123");
  window.boxCaretMoved(0, 2);
  window.boxCharacter(0, kCharBackspace);  // 1, blank, 3
  ASSERT_EQ(window.box(0).text, "1 3 ");
  window.boxFocused(2);
  type(2, "4");
  window.confirm();
  EXPECT_EQ(S().TABTESTI[kKeyEntry], "0130000004");
}

TEST_F(KeyChangeTest, EscapeAnywhereAndUscitaLeaveWithoutAKey) {
  writeCompanies(3);
  openFiles();
  for (int box = 0; box < Codnuo::kBoxes; ++box) {
    Codnuo w;
    w.load();
    w.boxFocused(box);
    w.boxCharacter(box, '4');  // an edit under way
    EXPECT_TRUE(w.boxKeyDown(box, kKeyEscape, 0));
    EXPECT_TRUE(w.isClosed()) << "box " << box;
    EXPECT_EQ(S().TABTESTI[kKeyEntry], "") << "box " << box;
    EXPECT_TRUE(w.lookupList().isClosed());
  }
  {
    Codnuo w;
    w.load();
    w.listFocused();
    w.listSelect(0);
    w.listCharacter(kCharEscape);
    EXPECT_TRUE(w.isClosed());
    EXPECT_EQ(S().TABTESTI[kKeyEntry], "");
  }
  {
    Codnuo w;
    w.load();
    w.enterInBox();
    w.boxCharacter(1, '5');
    w.enterInBox();
    ASSERT_EQ(S().TABTESTI[kKeyEntry], "0000050000");
    w.quit();
    EXPECT_TRUE(w.isClosed());
    EXPECT_EQ(S().TABTESTI[kKeyEntry], "");
    EXPECT_TRUE(w.lookupList().isClosed());
  }
  EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(KeyChangeTest, ClosingAnyOtherWayWithSubCompanyAndEmployeeZeroGivesNoKey) {
  writeCompanies(6);
  openFiles();
  open();
  window.listSelect(4);
  window.listDoubleClick();
  ASSERT_EQ(window.key(), "0050000000");
  window.close();  // the title-bar box
  EXPECT_EQ(S().TABTESTI[kKeyEntry], "");

  // With a sub-company the key stands.
  Codnuo other;
  other.load();
  other.listSelect(4);
  other.listDoubleClick();
  other.boxCharacter(1, '1');
  other.enterInBox();
  other.close();
  EXPECT_EQ(S().TABTESTI[kKeyEntry], "0050010000");
}

TEST_F(KeyChangeTest, UpAndDownMoveRoundTheBoxes_DroppingAnEditNotCommitted) {
  writeCompanies(3);
  openFiles();
  open();
  EXPECT_TRUE(window.boxKeyDown(0, kKeyUp, 0));
  EXPECT_EQ(window.focusedBox(), 2);
  EXPECT_TRUE(window.boxKeyDown(2, kKeyDown, 0));
  EXPECT_EQ(window.focusedBox(), 0);
  window.boxKeyDown(0, kKeyDown, 0);
  EXPECT_EQ(window.focusedBox(), 1);
  EXPECT_EQ(window.labelColours(0).background, kColourBrightWhite);
  EXPECT_EQ(window.labelColours(1).background, kColourBlack);

  type(1, "42");
  EXPECT_EQ(window.box(1).text, "42  ");
  window.boxKeyDown(1, kKeyUp, 0);
  EXPECT_EQ(window.box(1).text, "0   ") << "the edit was not committed";
  EXPECT_EQ(window.key(), "0000000000");
  EXPECT_EQ(window.focusedBox(), 0);

  // Shift with the key leaves it to the box; F1 outside the company box does nothing.
  EXPECT_FALSE(window.boxKeyDown(0, kKeyDown, kShiftOnly));
  EXPECT_EQ(window.focusedBox(), 0);
  window.boxKeyDown(0, kKeyDown, 0);
  EXPECT_FALSE(window.boxKeyDown(1, kKeyF1, 0));
  EXPECT_EQ(window.focusedBox(), 1);
  EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(KeyChangeTest, AClickOnALabelPutsTheCaretAtTheStartOfItsBox) {
  writeCompanies(3);
  openFiles();
  open();
  type(0, "12");
  EXPECT_EQ(window.box(0).caret, 2);
  window.labelClicked(2);
  EXPECT_EQ(window.focusedBox(), 2);
  EXPECT_EQ(S().TABPARAM[kParamCurrentBox], 2);
  window.labelClicked(0);
  EXPECT_EQ(window.focusedBox(), 0);
  EXPECT_EQ(window.box(0).caret, 0);
  type(0, "9");
  EXPECT_EQ(window.box(0).text, "9   ");
}

TEST_F(KeyChangeTest, TheCheckModeDecidesAfterWhichBoxTheCheckRuns) {
  writeCompanies(3);
  openFiles();
  open();
  // Mode 1: after every box, also before typing.
  S().TABPARAM[kParamCheckMode] = 1;
  window.enterInBox();
  EXPECT_TRUE(semaphoreFileMade()) << "the check ran";
  EXPECT_EQ(window.focusedBox(), 0);

  // Mode 2: when Enter leads to the last box.
  S().TABPARAM[kParamCheckMode] = 2;
  enter(0, "2");
  EXPECT_EQ(window.focusedBox(), 1);
  type(1, "0");
  window.enterInBox();
  EXPECT_TRUE(dialogs.boxes().empty()) << "employee 0000: checked without a message";
  EXPECT_EQ(window.focusedBox(), 0);
  S().TABTESTI[kKeyEntry] = "0020000001";
  window.boxFocused(1);
  dialogs.answer(Answer::kCancel);
  window.enterInBox();
  ASSERT_EQ(dialogs.boxes().size(), 1u);
  EXPECT_EQ(dialogs.boxes()[0].text, "CONTINUARE ? ");
}

TEST_F(KeyChangeTest, EachStepRecordsItsNameInTheTrail) {
  writeCompanies(3);
  openFiles();
  open();
  auto recorded = [] {
    std::vector<std::string> names;
    for (int slot = 1; slot <= kTrailSlots; ++slot) names.push_back(S().ULTIMEPROC[slot]);
    return names;
  };
  auto has = [&](const std::string& name) {
    std::vector<std::string> names = recorded();
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  EXPECT_TRUE(has("CARICAN"));
  EXPECT_TRUE(has("CARDITN"));
  window.boxKeyDown(0, kKeyRight, 0);
  EXPECT_TRUE(has("CX_KEYDOWN"));
  enterCode("1", "0", "1");
  EXPECT_TRUE(has("COMMAND1_CLICK"));
  EXPECT_TRUE(has("VERIFN"));
  EXPECT_TRUE(has("APRISEMA"));
}

TEST_F(KeyChangeTest, TheLookupListHasItsCaptionsAndShowsTheInformationBoxOnCtrlShiftP) {
  Lista list;
  list.load();
  EXPECT_EQ(list.formName(), "LISTA");
  EXPECT_EQ(std::string(Lista::kCaption), "Lista");
  EXPECT_EQ(std::string(Lista::kTitle), "LISTA");
  for (const std::string& line : list.textLines()) EXPECT_EQ(line, "Etichetta1");
  EXPECT_TRUE(list.items().empty());
  EXPECT_EQ(list.geometry().left, (1440 * 16 - Lista::kWidth) / 2);

  EXPECT_FALSE(list.keyDown(kKeyP, 2));  // Ctrl+P
  EXPECT_FALSE(list.keyDown(kKeyP, 1));  // Shift+P
  EXPECT_FALSE(list.keyDown(kKeyP, 0));
  EXPECT_FALSE(list.keyDown('Q', kShiftCtrl));
  EXPECT_TRUE(dialogs.boxes().empty());
  EXPECT_TRUE(list.keyDown(kKeyP, kShiftCtrl));
  ASSERT_EQ(dialogs.boxes().size(), 1u);
  EXPECT_EQ(dialogs.boxes()[0].title, "Informazioni Progetto tessaro");
}

}  // namespace
}  // namespace vt
