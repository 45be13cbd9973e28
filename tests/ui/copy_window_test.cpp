// The copy window: records copied from the standard archive into the user's
// archive by record number, the questions on the way, and the lists shown.
// Every file the copy changes is compared byte for byte.
#include <gtest/gtest.h>

#include "archive_install.h"
#include "core/state.h"
#include "scripted_dialogs.h"
#include "temp_install.h"
#include "ui/copy_window.h"

namespace vt {
namespace {

using testing::ArchiveInstall;
using testing::ArchiveLayout;
using testing::freeRecord;
using testing::joined;
using testing::kCompanies;
using testing::kFormulas;
using testing::kProfiles;
using testing::kSectors;
using testing::keyedRecord;
using testing::lineOf;
using testing::numberedRecord;
using testing::numberedRecords;
using testing::ScriptedDialogs;
using testing::ShownBox;
using testing::ThrowingEndHook;

using Lines = std::vector<std::string>;

constexpr int kCompanyLength = 60;
constexpr int kSectorLength = 420;

const std::string kQuestionEnd = " E' ESISTENTE\r\nSOVRASCRIVERE ?";
const std::string kOutOfLimits = "NUMERO RECORD FUORI DAI LIMITI DEL ARCHIVIO";

// `record` with its key replaced by `key`.
std::string withKey(const ArchiveLayout& layout, std::string record, const std::string& key) {
  record.replace(static_cast<std::size_t>(layout.keyPos - 1), key.size(), key);
  return record;
}

// An installation of its own, for a test that tries several: `layout` with
// the standard and user files given, opened as the start-up leaves it.
struct Installation {
  Installation(const ArchiveLayout& layout, int standardLength, const Lines& standard, int userLength,
               const Lines& user) {
    install.file(layout.standardFile, "STANDARD.DAT", standardLength, standard);
    install.file(layout.userFile, "UTENTE.DAT", userLength, user);
    install.open(layout);
  }
  // Hands `lines` over as the browser does, then shows the window.
  void show(const Lines& lines) {
    for (const std::string& line : lines) copy.addChosenLine(line);
    copy.load();
  }
  std::string userFile() const { return install.bytes("UTENTE.DAT"); }

  testing::TempFolder folder;
  ScriptedDialogs boxes;
  ArchiveInstall install{folder};
  Filesta2 copy;
};

class CopyWindowTest : public ::testing::Test {
 protected:
  // An installation of `layout` with the standard and user files given,
  // opened as the start-up leaves it.
  void installArchive(const ArchiveLayout& layout, int standardLength, const Lines& standard, int userLength,
                      const Lines& user) {
    standardLength_ = standardLength;
    install.file(layout.standardFile, "STANDARD.DAT", standardLength, standard);
    install.file(layout.userFile, "UTENTE.DAT", userLength, user);
    install.open(layout);
    userBefore_ = joined(user);
  }

  // Companies with `standardCount` standard records and the user records given.
  void installCompanies(int standardCount, const Lines& user) {
    installArchive(kCompanies, kCompanyLength, numberedRecords(kCompanies, kCompanyLength, standardCount),
                   kCompanyLength, user);
  }

  // User company records 1 to `count`, in use, with the numbers in `free` free.
  static Lines userCompanies(int count, std::initializer_list<int> free = {}) {
    Lines records = numberedRecords(kCompanies, kCompanyLength, count, "MIA DITTA");
    for (int number : free) {
      records[static_cast<std::size_t>(number - 1)] = freeRecord(kCompanies, kCompanyLength, "", "CANCELLATA");
    }
    return records;
  }

  std::string standardCompany(int number) const { return numberedRecord(kCompanies, standardLength_, number); }
  std::string companyLine(int number) const { return lineOf(kCompanies, standardCompany(number)); }

  // Hands `lines` over as the browser does, then shows the window.
  void openWindow(const Lines& lines) {
    for (const std::string& line : lines) window.addChosenLine(line);
    window.load();
  }

  std::string userFile() const { return install.bytes("UTENTE.DAT"); }

  // The user file as it was, with record `number` (1-based) replaced.
  std::string userBeforeWith(int number, const std::string& record, int recordLength) const {
    std::string bytes = userBefore_;
    bytes.replace(static_cast<std::size_t>((number - 1) * recordLength), record.size(), record);
    return bytes;
  }

  static std::string question(int number) { return "IL RECORD  " + std::to_string(number) + kQuestionEnd; }

  bool trailHas(const std::string& name) const {
    for (int slot = 1; slot <= kTrailSlots; ++slot) {
      if (S().ULTIMEPROC[slot] == name) return true;
    }
    return false;
  }

  // The procedure trail, oldest name first.
  static Lines trail() {
    Lines names;
    for (int step = 1; step <= kTrailSlots; ++step) {
      const std::string& name = S().ULTIMEPROC[(S().POSPROC + step - 1) % kTrailSlots + 1];
      if (!name.empty()) names.push_back(name);
    }
    return names;
  }

  testing::TempFolder folder;
  ScriptedDialogs dialogs;
  ThrowingEndHook endHook;
  ArchiveInstall install{folder};
  Filesta2 window;
  std::string userBefore_;
  int standardLength_ = kCompanyLength;
};

TEST_F(CopyWindowTest, TheLoad_ShowsTheTitle_CentresTheWindow_AndListsTheUserRecordsInUse) {
  installCompanies(3, userCompanies(4, {2}));
  S().TABFLAG[25] = 5;
  openWindow({companyLine(3), companyLine(1)});

  EXPECT_EQ(window.archiveTitle(), "1 - ARCHIVIO DITTE     ");
  EXPECT_EQ(window.geometry().width, 10800);
  EXPECT_EQ(window.geometry().height, 8500);
  EXPECT_EQ(window.geometry().left, (1440 * 16 - 10800) / 2);
  EXPECT_EQ(window.geometry().top, (1440 * 10 - 8500) / 2);
  EXPECT_EQ(window.lines(Filesta2::kChosenList), (Lines{companyLine(1), companyLine(3)}));
  EXPECT_EQ(window.selected(Filesta2::kChosenList), -1);
  EXPECT_EQ(window.lines(Filesta2::kUserList),
            (Lines{"001 MIA DITTA 1                   ", "003 MIA DITTA 3                   ",
                   "004 MIA DITTA 4                   "}));
  EXPECT_EQ(S().TABFLAG[25], 0);
  EXPECT_TRUE(trailHas("FORM_LOAD"));
  EXPECT_TRUE(trailHas("AGGIORNA"));

  window.COMANDO1_CLICK(Filesta2::kLeave);
  EXPECT_TRUE(window.isClosed());
  EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(CopyWindowTest, ACompanyLine_IsCopiedIntoTheFreeUserRecordOfItsNumber_WithoutAQuestion) {
  installCompanies(6, userCompanies(6, {5}));
  openWindow({companyLine(5), companyLine(6)});
  window.select(Filesta2::kChosenList, 0);

  window.COMANDO1_CLICK(Filesta2::kCopyOne);

  EXPECT_TRUE(dialogs.boxes().empty());
  std::string expected = standardCompany(5);
  EXPECT_EQ(expected.substr(2, 3), "005");
  EXPECT_EQ(userFile(), userBeforeWith(5, expected, kCompanyLength));
  // The line left the chosen list, which selects its first line again.
  EXPECT_EQ(window.lines(Filesta2::kChosenList), (Lines{companyLine(6)}));
  EXPECT_EQ(window.selected(Filesta2::kChosenList), 0);
  EXPECT_EQ(window.focusedList(), Filesta2::kChosenList);
  // The user list shows the record copied.
  EXPECT_EQ(window.lines(Filesta2::kUserList).size(), 6u);
  EXPECT_EQ(window.lines(Filesta2::kUserList)[4], companyLine(5));
}

TEST_F(CopyWindowTest, ARecordInUse_IsOverwrittenOnYes_OrTheOperatorGivesAnotherNumber) {
  // Yes: record 5 is replaced.
  {
    installCompanies(6, userCompanies(6));
    openWindow({companyLine(5)});
    dialogs.answer(Answer::kYes);
    EXPECT_EQ(window.SCRIVI(companyLine(5), 0), Filesta2::kCopied);
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    const ShownBox& box = dialogs.boxes()[0];
    EXPECT_EQ(box.text, "IL RECORD  5 E' ESISTENTE\r\nSOVRASCRIVERE ?");
    EXPECT_EQ(box.buttons, Buttons::kYesNo);
    EXPECT_EQ(box.icon, Icon::kNone);
    EXPECT_EQ(box.title, "");
    EXPECT_EQ(userFile(), userBeforeWith(5, standardCompany(5), kCompanyLength));
    EXPECT_TRUE(window.lines(Filesta2::kChosenList).empty());
  }
  // No, then 12: record 12 is free and receives the record with the key 012.
  {
    Lines user = userCompanies(14, {12});
    Installation other(kCompanies, kCompanyLength, numberedRecords(kCompanies, kCompanyLength, 6), kCompanyLength,
                       user);
    other.show({companyLine(5)});
    Filesta2& copy = other.copy;
    ScriptedDialogs& boxes = other.boxes;
    boxes.answer(Answer::kNo);
    boxes.type("12");

    EXPECT_EQ(copy.SCRIVI(companyLine(5), 0), Filesta2::kCopied);

    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[0].text, question(5));
    const ShownBox& input = boxes.boxes()[1];
    EXPECT_EQ(input.kind, ShownBox::Kind::kInput);
    EXPECT_EQ(input.text, companyLine(5));
    EXPECT_EQ(input.title, "Domanda e risposta");
    EXPECT_EQ(input.defaultText, "000");
    std::string expected = joined(user);
    expected.replace(11 * kCompanyLength, kCompanyLength, withKey(kCompanies, standardCompany(5), "012"));
    EXPECT_EQ(other.userFile(), expected);
    EXPECT_TRUE(copy.lines(Filesta2::kChosenList).empty());
  }
}

TEST_F(CopyWindowTest, TheNewNumber_IsAskedAgainOnZeroOrBelow_AndIsCheckedLikeTheFirst) {
  installCompanies(6, userCompanies(14));
  openWindow({companyLine(5)});
  dialogs.answer(Answer::kNo);
  dialogs.type("0");
  dialogs.type("-12");  // comes back as "-12": no record has a negative number
  dialogs.type("12");
  dialogs.answer(Answer::kYes);  // record 12 is in use too

  window.select(Filesta2::kChosenList, 0);
  window.RIEPILOGO1_KEYPRESS(Filesta2::kChosenList, 13);

  ASSERT_EQ(dialogs.boxes().size(), 5u);
  EXPECT_EQ(dialogs.boxes()[0].text, question(5));
  EXPECT_EQ(dialogs.boxes()[1].kind, ShownBox::Kind::kInput);
  EXPECT_EQ(dialogs.boxes()[2].kind, ShownBox::Kind::kInput);
  EXPECT_EQ(dialogs.boxes()[3].kind, ShownBox::Kind::kInput);
  EXPECT_EQ(dialogs.boxes()[3].text, companyLine(5));
  EXPECT_EQ(dialogs.boxes()[4].text, "IL RECORD  12 E' ESISTENTE\r\nSOVRASCRIVERE ?");
  EXPECT_EQ(userFile(), userBeforeWith(12, withKey(kCompanies, standardCompany(5), "012"), kCompanyLength));
  EXPECT_TRUE(dialogs.allAnswersUsed());
}

TEST_F(CopyWindowTest, ANumberOutsideTheArchives_GivesTheMessage_WritesNothing_AndTheLineStaysChosen) {
  struct Case {
    const char* what;
    int line;                         // the chosen line's record number
    std::vector<Answer> answers;      // to the overwrite questions
    std::vector<const char*> typed;   // in the new-number box
    int questions;                    // overwrite questions shown
  };
  const Case cases[] = {
      {"a new number past the end of the user file", 5, {Answer::kNo}, {"40"}, 1},
      {"a line past the end of the user file", 9, {}, {}, 0},
      {"a line past the end of the standard file", 8, {}, {}, 0},
      {"a line whose key reads 0, which no record has", 0, {}, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Lines user = userCompanies(8);
    Installation other(kCompanies, kCompanyLength, numberedRecords(kCompanies, kCompanyLength, 7), kCompanyLength,
                       user);
    other.show({companyLine(c.line)});
    Filesta2& copy = other.copy;
    ScriptedDialogs& boxes = other.boxes;
    for (Answer a : c.answers) boxes.answer(a);
    for (const char* t : c.typed) boxes.type(t);

    copy.select(Filesta2::kChosenList, 0);
    copy.CARICAWIN();

    std::vector<std::string> texts = boxes.messageTexts();
    ASSERT_EQ(texts.size(), static_cast<std::size_t>(c.questions + 1));
    EXPECT_EQ(texts.back(), kOutOfLimits);
    EXPECT_EQ(boxes.boxes().back().buttons, Buttons::kOk);
    EXPECT_EQ(boxes.boxes().back().icon, Icon::kNone);
    EXPECT_EQ(boxes.boxes().back().title, "");
    EXPECT_EQ(other.userFile(), joined(user));
    EXPECT_EQ(copy.lines(Filesta2::kChosenList), (Lines{companyLine(c.line)}));
    EXPECT_TRUE(boxes.allAnswersUsed());
  }
}

TEST_F(CopyWindowTest, AnEmptyAnswerInTheNewNumberBox_AbandonsTheLine) {
  installCompanies(6, userCompanies(6));
  openWindow({companyLine(5)});
  for (std::optional<std::string> abandon : {std::optional<std::string>(), std::optional<std::string>("")}) {
    dialogs.answer(Answer::kNo);
    dialogs.type(abandon);
    EXPECT_EQ(window.SCRIVI(companyLine(5), 0), Filesta2::kNothingCopied);
  }
  EXPECT_EQ(userFile(), userBefore_);
  EXPECT_EQ(window.lines(Filesta2::kChosenList), (Lines{companyLine(5)}));
  EXPECT_EQ(dialogs.boxes().size(), 4u);
}

TEST_F(CopyWindowTest, AStandardRecordLongerThanTheUserRecordIsCut_AShorterOneIsPaddedWithBlanks) {
  const int userLength = 60;
  for (int standardLength : {80, 40}) {
    SCOPED_TRACE(standardLength);
    Lines standard = numberedRecords(kCompanies, standardLength, 3);
    for (std::string& record : standard) record.replace(record.size() - 4, 4, "FINE");
    Lines user = userCompanies(3, {3});
    Installation other(kCompanies, standardLength, standard, userLength, user);
    other.show({lineOf(kCompanies, standard[2])});
    Filesta2& copy = other.copy;

    EXPECT_EQ(copy.SCRIVI(lineOf(kCompanies, standard[2]), 0), Filesta2::kCopied);

    std::string written = standardLength > userLength ? standard[2].substr(0, userLength)
                                                      : standard[2] + std::string(userLength - standardLength, ' ');
    user[2] = written;
    EXPECT_EQ(other.userFile(), joined(user));
    EXPECT_EQ(written.find("FINE") != std::string::npos, standardLength < userLength);
  }
}

TEST_F(CopyWindowTest, SectorsGetAFourDigitKey_AndTheirFreeTestReadsTheSectorField) {
  Lines standard = numberedRecords(kSectors, kSectorLength, 8);
  Lines user = numberedRecords(kSectors, kSectorLength, 14, "MIO SETTORE");
  user[6] = freeRecord(kSectors, kSectorLength, "0007");
  user[11] = freeRecord(kSectors, kSectorLength, "0012");
  installArchive(kSectors, kSectorLength, standard, kSectorLength, user);
  openWindow({lineOf(kSectors, standard[6]), lineOf(kSectors, standard[7])});
  EXPECT_EQ(window.lines(Filesta2::kChosenList)[0], "0007 STANDARD 7      ");
  EXPECT_EQ(window.lines(Filesta2::kUserList).size(), 12u);
  dialogs.answer(Answer::kNo);
  dialogs.type("12");

  window.COMANDO1_CLICK(Filesta2::kCopyAll);

  user[6] = standard[6];
  user[11] = withKey(kSectors, standard[7], "0012");
  EXPECT_EQ(userFile(), joined(user));
  EXPECT_EQ(dialogs.messageTexts(), (Lines{question(8)}));
  EXPECT_TRUE(window.lines(Filesta2::kChosenList).empty());
  EXPECT_EQ(window.lines(Filesta2::kUserList).size(), 14u);
  EXPECT_EQ(window.lines(Filesta2::kUserList)[11], "0012 STANDARD 8      ");
}

TEST_F(CopyWindowTest, Tutti_StopsAtTheFirstLineAbandoned_AndStillRefillsTheUserList) {
  // Every record in use; the first line is abandoned: one question, one box.
  {
    installCompanies(6, userCompanies(6));
    openWindow({companyLine(3), companyLine(4), companyLine(5)});
    dialogs.answer(Answer::kNo);
    dialogs.type(std::nullopt);
    window.COMANDO1_CLICK(Filesta2::kCopyAll);
    EXPECT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_EQ(dialogs.boxes()[0].text, question(3));
    EXPECT_EQ(userFile(), userBefore_);
    EXPECT_EQ(window.lines(Filesta2::kChosenList), (Lines{companyLine(3), companyLine(4), companyLine(5)}));
  }
  // The first line is copied, the second abandoned, the third never reached.
  {
    Lines user = userCompanies(6, {3});
    Installation other(kCompanies, kCompanyLength, numberedRecords(kCompanies, kCompanyLength, 6), kCompanyLength,
                       user);
    other.show({companyLine(3), companyLine(4), companyLine(5)});
    Filesta2& copy = other.copy;
    ScriptedDialogs& boxes = other.boxes;
    boxes.answer(Answer::kNo);
    boxes.type("");

    copy.CARICATUTTOWIN();

    EXPECT_EQ(boxes.messageTexts(), (Lines{question(4)}));
    user[2] = standardCompany(3);
    EXPECT_EQ(other.userFile(), joined(user));
    EXPECT_EQ(copy.lines(Filesta2::kChosenList), (Lines{companyLine(4), companyLine(5)}));
    // The refilled user list shows the record the first pass copied.
    EXPECT_EQ(copy.lines(Filesta2::kUserList)[2], companyLine(3));
  }
}

TEST_F(CopyWindowTest, WithNothingToDo_SingoloDoesNothing_AndTuttiOnlyRefillsTheUserList) {
  installCompanies(3, userCompanies(3));
  openWindow({companyLine(2)});
  window.COMANDO1_CLICK(Filesta2::kCopyOne);  // nothing selected
  window.RIEPILOGO1_DBLCLICK(Filesta2::kUserList);
  window.RIEPILOGO1_KEYPRESS(Filesta2::kChosenList, 'X');
  EXPECT_TRUE(dialogs.boxes().empty());
  EXPECT_EQ(window.lines(Filesta2::kChosenList), (Lines{companyLine(2)}));

  // Another program adds a record while the window is open.
  Filesta2 empty;
  empty.load();
  Lines grown = userCompanies(4);
  folder.write("drives/C/ARCHIVI/UTENTE.DAT", joined(grown));
  EXPECT_EQ(empty.lines(Filesta2::kUserList).size(), 3u);
  empty.COMANDO1_CLICK(Filesta2::kCopyAll);
  EXPECT_EQ(empty.lines(Filesta2::kUserList).size(), 4u);
  EXPECT_TRUE(dialogs.boxes().empty());
  EXPECT_EQ(userFile(), joined(grown));
}

TEST_F(CopyWindowTest, FreeRecordsNeverAppearInTheUserList_WhicheverWayTheArchiveMarksThem) {
  for (const ArchiveLayout* layout : {&kCompanies, &kFormulas, &kProfiles}) {
    SCOPED_TRACE(layout->userFile);
    const int length = 50;
    Lines user = numberedRecords(*layout, length, 5, "MIO");
    user[1] = freeRecord(*layout, length, "002", "VECCHIO");
    user[3] = freeRecord(*layout, length, "004", "VECCHIO");
    Installation other(*layout, length, {}, length, user);
    other.show({});
    EXPECT_EQ(other.copy.lines(Filesta2::kUserList),
              (Lines{lineOf(*layout, user[0]), lineOf(*layout, user[2]), lineOf(*layout, user[4])}));
  }
}

TEST_F(CopyWindowTest, AFormulaOrProfileIsWrittenOverAFreeRecord_WithItsKeyAtItsOwnPosition) {
  for (const ArchiveLayout* layout : {&kFormulas, &kProfiles}) {
    SCOPED_TRACE(layout->userFile);
    const int length = 50;
    Lines standard = numberedRecords(*layout, length, 4);
    Lines user = numberedRecords(*layout, length, 4, "MIO");
    user[3] = freeRecord(*layout, length, "004");
    Installation other(*layout, length, standard, length, user);
    other.show({lineOf(*layout, standard[3])});
    Filesta2& copy = other.copy;
    ScriptedDialogs& boxes = other.boxes;
    copy.select(Filesta2::kChosenList, 0);
    copy.RIEPILOGO1_DBLCLICK(Filesta2::kChosenList);
    user[3] = standard[3];
    EXPECT_EQ(other.userFile(), joined(user));
    EXPECT_TRUE(boxes.boxes().empty());
  }
}

TEST_F(CopyWindowTest, AUserArchiveOfMoreThanAThousandRecords_ListsOnlyItsFirstThousand) {
  installCompanies(1, userCompanies(1002));
  openWindow({});
  EXPECT_EQ(window.lines(Filesta2::kUserList).size(), 1000u);
  EXPECT_EQ(S().ULTIMOREC[1], 1000);
}

TEST_F(CopyWindowTest, TheCopyRecordsItsProceduresInTheTrail_AsTheQuestionsSeeIt) {
  installCompanies(6, userCompanies(6));
  openWindow({companyLine(4), companyLine(5)});
  std::vector<Lines> trails;
  dialogs.onMessage([&](const ShownBox&) { trails.push_back(trail()); });
  dialogs.answer(Answer::kNo);
  dialogs.type(std::nullopt);
  window.select(Filesta2::kChosenList, 1);
  window.CARICAWIN();
  dialogs.answer(Answer::kNo);
  dialogs.type(std::nullopt);
  window.CARICATUTTOWIN();

  ASSERT_EQ(trails.size(), 2u);
  Lines single(trails[0].end() - 4, trails[0].end());
  EXPECT_EQ(single, (Lines{"CARICAWIN", "SCRIVI", "LEGGIREC (201-5)", "LEGGIREC (1-5)"}));
  Lines all(trails[1].end() - 4, trails[1].end());
  EXPECT_EQ(all, (Lines{"CARICATUTTOWIN", "SCRIVI", "LEGGIREC (201-4)", "LEGGIREC (1-4)"}));
  // Both ended with the refill of the user list.
  EXPECT_TRUE(trailHas("AGGIORNA"));
}

TEST_F(CopyWindowTest, TheEmployeeArchive_KeepsItsUserListAsTheCopiesLeftIt) {
  installCompanies(1, userCompanies(2));
  S().TABPARAM[3] = 10;
  openWindow({});
  EXPECT_TRUE(window.lines(Filesta2::kUserList).empty());
  window.addUserLine("0010010001 ROSSI");
  window.AGGIORNA();
  EXPECT_EQ(window.lines(Filesta2::kUserList), (Lines{"0010010001 ROSSI"}));
}

}  // namespace
}  // namespace vt
