// The whole program from MAIN to its end over a fresh sample installation,
// one run per archive of the menu, the windows driven as an operator drives
// them. Every file of the installation (drives and settings) is compared byte
// for byte before and after the run: only the records the copy wrote, the
// suite's semaphore file (made empty the first time it is taken) and the task
// file may differ.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/state.h"
#include "records/files.h"
#include "records/isam.h"
#include "sample/sample_installation.h"
#include "scripted_dialogs.h"
#include "startup/main_program.h"
#include "suite_folder.h"
#include "ui/browser.h"
#include "ui/choice_window.h"
#include "ui/copy_window.h"
#include "ui/key_change.h"
#include "util/text.h"

namespace vt {
namespace {

using testing::ScriptedDialogs;
using testing::ShownBox;
using testing::SuiteFolder;
using testing::ThrowingEndHook;

// --- The sample installation's files (see sample/sample_installation.h) -----

const std::string kArchives = "drives/C/PWELKIN/ARCHIVI/";
const std::string kTaskFile = "drives/C/TARNIX/TARNIX.INI";
const std::string kSemaphoreFile = kArchives + "WKSEMA.DAT";

struct ArchiveFile {
  std::string path;  // relative to the suite folder
  std::size_t recordLength;
};

const ArchiveFile kUserCompanies{kArchives + "DITTE.DAT", 512};
const ArchiveFile kUserEmployees{kArchives + "DIPEND.DAT", 9600};
const ArchiveFile kEmployeeIndex{kArchives + "DIPEND.IDX", 2176};
const ArchiveFile kUserSectors{kArchives + "SETTORI.DAT", 512};
const ArchiveFile kUserProfiles{kArchives + "PROFILI.DAT", 256};
const ArchiveFile kCompanions{kArchives + "DIPCOMPL.DAT", 512};
const ArchiveFile kUserFormulas{kArchives + "FORMULE.DAT", 128};
const ArchiveFile kStandardCompanies{kArchives + "STDDITTE.DAT", 512};
const ArchiveFile kStandardEmployees{kArchives + "STDDIPEN.DAT", 9600};
const ArchiveFile kStandardFormulas{kArchives + "STDFORMU.DAT", 128};
const ArchiveFile kStandardSectors{kArchives + "STDSETTO.DAT", 512};
const ArchiveFile kStandardProfiles{kArchives + "STDPROFI.DAT", 256};

// Where each archive keeps its key (1-based position, length).
struct KeyField {
  std::size_t pos;
  std::size_t length;
};
constexpr KeyField kCompanyKey{3, 3};
constexpr KeyField kFormulaKey{4, 3};
constexpr KeyField kSectorKey{381, 4};
constexpr KeyField kProfileKey{3, 3};
constexpr KeyField kEmployeeCode{3, 10};
// A user-archive line of the copy window: the key, a blank, the description.
constexpr KeyField kCompanyDescription{6, 30};

// The menu entries.
constexpr int kCompaniesEntry = 1;
constexpr int kEmployeesEntry = 2;
constexpr int kFormulasEntry = 3;
constexpr int kSectorsEntry = 4;
constexpr int kFixedDataEntry = 5;
constexpr int kProfilesEntry = 6;

// The task file after a normal end: the task number in a line of 100
// characters, then CR LF.
constexpr std::size_t kTaskLineLength = 100;
const std::string kTaskLineAfterTheRun = fitRight(sample::kTaskNumber, kTaskLineLength) + "\r\n";

// Employee index nodes: entries of the key, the node's level digit and a
// six-digit record number; the sample's leaf is record 3, level "3"; free
// entries begin with the character 252.
constexpr std::size_t kIndexKeyLength = 10;
constexpr std::size_t kIndexNumberDigits = 6;
constexpr std::size_t kIndexEntryLength = kIndexKeyLength + 1 + kIndexNumberDigits;
constexpr std::size_t kEntriesPerNode = 128;
constexpr std::size_t kLeafRecord = 3;
constexpr char kLeafLevel = '3';
constexpr char kFreeEntryMark = static_cast<char>(252);

// The companion record: characters 1 to 45 of the employee record, blanks
// to character 100, the digit 0 after.
constexpr std::size_t kCompanionHeadLength = 45;
constexpr std::size_t kCompanionHeadPart = 100;

// Employee lines of the browser end in the number of the standard record in
// five digits.
constexpr std::size_t kEmployeeLineNumberDigits = 5;

// --- Files and records ----------------------------------------------------------

// Every file of the installation: path relative to the suite folder -> bytes.
using Files = std::map<std::string, std::string>;

Files snapshot(const SuiteFolder& suite) {
  namespace fs = std::filesystem;
  Files files;
  for (const char* top : {"drives", "config"}) {
    const fs::path root = fs::path(suite.path()) / top;
    if (!fs::exists(root)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      if (!entry.is_regular_file()) continue;
      const std::string relative = fs::relative(entry.path(), suite.path()).generic_string();
      files[relative] = suite.read(relative);
    }
  }
  return files;
}

// Record `number` (from 1) of the bytes of `file`.
std::string recordOf(const std::string& bytes, const ArchiveFile& file, std::size_t number) {
  return bytes.substr((number - 1) * file.recordLength, file.recordLength);
}

// `bytes` of `file` with record `number` replaced by `record`, or appended
// when `number` is just past the last record.
std::string withRecord(std::string bytes, const ArchiveFile& file, std::size_t number, const std::string& record) {
  EXPECT_EQ(record.size(), file.recordLength);
  EXPECT_LE((number - 1) * file.recordLength, bytes.size()) << "a gap in " << file.path;
  bytes.replace((number - 1) * file.recordLength, file.recordLength, record);
  return bytes;
}

std::size_t recordCount(const std::string& bytes, const ArchiveFile& file) { return bytes.size() / file.recordLength; }

// What the copy writes for standard record `record` at number `number` of a
// user archive of `userLength`: the record cut or padded to that length, its
// key rewritten as the number with leading zeros.
std::string keyedCopy(const std::string& record, KeyField key, std::size_t number, std::size_t userLength) {
  std::string copy = fitRight(record, userLength);
  overwrite(copy, key.pos, zeroPad(std::to_string(number), key.length));
  return copy;
}

// A standard employee record carrying `code`.
std::string withCode(std::string employee, const std::string& code) {
  overwrite(employee, kEmployeeCode.pos, code);
  return employee;
}

std::string companionOf(const std::string& employee) {
  std::string record(kCompanions.recordLength, '0');
  overwrite(record, 1, fitRight(employee.substr(0, kCompanionHeadLength), kCompanionHeadPart));
  return record;
}

// The index bytes with (`code`, `record`) entered into the leaf, in key order.
std::string withIndexEntry(const std::string& index, const std::string& code, std::size_t record) {
  const std::size_t leafStart = (kLeafRecord - 1) * kEmployeeIndex.recordLength;
  std::vector<std::string> entries;
  for (std::size_t i = 0; i < kEntriesPerNode; ++i) {
    entries.push_back(index.substr(leafStart + i * kIndexEntryLength, kIndexEntryLength));
  }
  auto place = entries.begin();
  while (place != entries.end() && place->front() != kFreeEntryMark && place->substr(0, kIndexKeyLength) < code) {
    ++place;
  }
  entries.insert(place, code + kLeafLevel + zeroPad(std::to_string(record), kIndexNumberDigits));
  entries.pop_back();
  std::string leaf;
  for (const std::string& e : entries) leaf += e;
  std::string result = index;
  result.replace(leafStart, kEmployeeIndex.recordLength, leaf);
  return result;
}

// Where two byte strings part, for the failure message.
std::string firstDifference(const std::string& expected, const std::string& actual) {
  std::size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  return "sizes " + std::to_string(expected.size()) + " expected, " + std::to_string(actual.size()) +
         " found; first difference at byte " + std::to_string(at);
}

// Every file after the run holds its bytes from before, except the files of
// `changed`, which hold exactly the bytes given (present only after the run
// when they were not there before).
void expectOnlyChanged(const Files& before, const Files& after, const Files& changed) {
  std::vector<std::string> expectedNames;
  std::vector<std::string> foundNames;
  for (const auto& [name, bytes] : before) {
    if (!changed.count(name)) expectedNames.push_back(name);
  }
  for (const auto& [name, bytes] : changed) expectedNames.push_back(name);
  std::sort(expectedNames.begin(), expectedNames.end());
  for (const auto& [name, bytes] : after) foundNames.push_back(name);
  EXPECT_EQ(foundNames, expectedNames) << "the files of the installation";

  for (const auto& [name, bytes] : after) {
    auto wanted = changed.find(name);
    const std::string* expected = nullptr;
    if (wanted != changed.end()) {
      expected = &wanted->second;
      if (before.count(name)) {
        EXPECT_TRUE(before.at(name) != bytes) << name << " was to change";
      }
    } else if (before.count(name)) {
      expected = &before.at(name);
    }
    if (expected == nullptr) continue;
    EXPECT_TRUE(*expected == bytes) << name << ": " << firstDifference(*expected, bytes);
  }
}

// --- One run of the program ---------------------------------------------------

// A fresh sample installation in a suite folder, the dialogs scripted, the
// end of the program observable, and the files as they were at the start.
class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    suite.createSample();
    before = snapshot(suite);
  }

  // The operator picks menu entry `entry` and presses Enter.
  void chooseInMenu(int entry) {
    boxes.onWindow("Scelta", [entry](WindowPresenter& w) {
      auto& menu = dynamic_cast<Scelta&>(w);
      menu.select(static_cast<std::size_t>(entry - 1));
      menu.listKeyPress(Scelta::kEnter);
    });
  }

  // In the browser the operator moves each line that begins with one of
  // `starts` to the chosen list ("Singolo"), then presses `lastButton`.
  void chooseInBrowser(std::vector<std::string> starts, int lastButton = Filestan::kConfirm) {
    boxes.onWindow("FILESTAN", [this, starts, lastButton](WindowPresenter& w) {
      auto& browser = dynamic_cast<Filestan&>(w);
      for (const std::string& start : starts) {
        const int line = lineStarting(browser.lines(Filestan::kStandardList), start);
        if (line < 0) {
          ADD_FAILURE() << "the browser lists no line " << start;
          continue;
        }
        browser.select(Filestan::kStandardList, line);
        browser.COMANDO1_CLICK(Filestan::kChooseOne);
      }
      chosenInBrowser = browser.lines(Filestan::kChosenList);
      browser.COMANDO1_CLICK(lastButton);
    });
  }

  // In the copy window the operator copies each line that begins with one of
  // `starts` with "Singolo" (an empty list: "Tutti" once), looks at the
  // lists, and leaves with "&Uscita".
  void copyInCopyWindow(std::vector<std::string> starts) {
    boxes.onWindow("FILESTA2", [this, starts](WindowPresenter& w) {
      auto& copy = dynamic_cast<Filesta2&>(w);
      if (starts.empty()) copy.COMANDO1_CLICK(Filesta2::kCopyAll);
      for (const std::string& start : starts) {
        const int line = lineStarting(copy.lines(Filesta2::kChosenList), start);
        if (line < 0) {
          ADD_FAILURE() << "the copy window has no chosen line " << start;
          continue;
        }
        copy.select(Filesta2::kChosenList, line);
        copy.COMANDO1_CLICK(Filesta2::kCopyOne);
      }
      chosenLeft = copy.lines(Filesta2::kChosenList);
      userList = copy.lines(Filesta2::kUserList);
      copy.COMANDO1_CLICK(Filesta2::kLeave);
    });
  }

  // Each showing of the key change dialog takes the next code of `codes`
  // (company, sub-company, employee digits) and types it, Enter after each
  // part; the check that runs after the last part asks "CONTINUARE ? ".
  // How the operator finishes a code: Enter in the last box (the check runs),
  // "&Conferma" (no check) or "&Uscita" (no code).
  enum class Finish { kEnter, kConferma, kUscita };
  struct TypedCode {
    std::string company, subCompany, employee;
    Finish finish = Finish::kEnter;
  };
  void typeInKeyChange(std::vector<TypedCode> codes) {
    codesToType.assign(codes.begin(), codes.end());
    boxes.onWindow("CODNUO", [this](WindowPresenter& w) {
      auto& dialog = dynamic_cast<Codnuo&>(w);
      while (!dialog.isClosed() && !codesToType.empty()) {
        const TypedCode code = codesToType.front();
        codesToType.pop_front();
        const std::string parts[] = {code.company, code.subCompany, code.employee};
        for (int box = 0; box < Codnuo::kBoxes; ++box) {
          EXPECT_EQ(dialog.focusedBox(), box) << "the caret stands in the box to type";
          for (char c : parts[box]) dialog.boxCharacter(box, static_cast<unsigned char>(c));
          if (box + 1 < Codnuo::kBoxes || code.finish == Finish::kEnter) dialog.enterInBox();
        }
        if (code.finish == Finish::kConferma) dialog.confirm();
        if (code.finish == Finish::kUscita) dialog.quit();
      }
    });
  }

  // Runs MAIN to its end and returns how it ended.
  EndReason runToTheEnd() {
    try {
      MAIN();
    } catch (const ProgramEnded& ended) {
      after = snapshot(suite);
      return ended.reason;
    }
    ADD_FAILURE() << "MAIN returned";
    return EndReason::kAtOnce;
  }

  static int lineStarting(const std::vector<std::string>& lines, const std::string& start) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].compare(0, start.size(), start) == 0) return static_cast<int>(i);
    }
    return -1;
  }

  // The browser's line of standard employee `number`: description (35), a
  // blank, the number in five digits.
  std::string employeeLine(std::size_t number) const {
    const std::string record = recordOf(before.at(kStandardEmployees.path), kStandardEmployees, number);
    return record.substr(kEmployeeDescriptionPos - 1, kEmployeeDescriptionLength) + " " +
           zeroPad(std::to_string(number), kEmployeeLineNumberDigits);
  }
  std::string standardEmployee(std::size_t number) const {
    return recordOf(before.at(kStandardEmployees.path), kStandardEmployees, number);
  }

  // Searches `code` in the user's employee index as it stands after the run,
  // checking the index's structure on the way.
  double indexed(const std::string& code) {
    FAIOPEN(kEmployeeIndexNumber);
    const double found = ISAM(kEmployeeIndexNumber, code, kIsamSearch);
    EXPECT_EQ(checkIndex(kEmployeeIndexNumber), std::vector<std::string>{});
    CHIUDIFILE(kEmployeeIndexNumber);
    return found;
  }

  // The texts of every box shown, messages and input prompts, in order.
  std::vector<std::string> texts() const {
    std::vector<std::string> shown;
    for (const ShownBox& box : boxes.boxes()) shown.push_back(box.text);
    return shown;
  }

  // The operator chooses every line of archive `entry`, then leaves the
  // browser with "&Uscita".
  void chooseAllThenLeave(int entry) {
    chooseInMenu(entry);
    boxes.onWindow("FILESTAN", [this](WindowPresenter& w) {
      auto& browser = dynamic_cast<Filestan&>(w);
      browser.COMANDO1_CLICK(Filestan::kChooseAll);
      chosenInBrowser = browser.lines(Filestan::kChosenList);
      browser.COMANDO1_CLICK(Filestan::kLeave);
    });
  }

  static constexpr std::size_t kEmployeeDescriptionPos = 9515;
  static constexpr std::size_t kEmployeeDescriptionLength = 35;
  static constexpr double kEmployeeIndexNumber = 7;

  SuiteFolder suite;
  ScriptedDialogs boxes;
  ThrowingEndHook end;
  Files before;
  Files after;
  std::vector<std::string> chosenInBrowser;
  std::vector<std::string> chosenLeft;
  std::vector<std::string> userList;
  std::deque<TypedCode> codesToType;
};

const std::vector<std::string> kFullRun = {"Scelta", "FILESTAN", "FILESTA2"};

// --- Archives keyed by record number ---------------------------------------------

TEST_F(EndToEnd, Companies_AFreeRecordIsFilled_AnInUseOneOverwrittenAfterYes_OrCopiedToTheNumberGivenAfterNo) {
  chooseInMenu(kCompaniesEntry);
  chooseInBrowser({"002", "003", "001"});
  copyInCopyWindow({"002", "003", "001"});
  boxes.answer(Answer::kYes);  // record 3 in use: overwrite
  boxes.answer(Answer::kNo);   // record 1 in use: another number
  boxes.type("7");

  ASSERT_EQ(runToTheEnd(), EndReason::kNormal);

  const std::string& standard = before.at(kStandardCompanies.path);
  std::string companies = before.at(kUserCompanies.path);
  auto copied = [&](std::size_t from, std::size_t to) {
    return keyedCopy(recordOf(standard, kStandardCompanies, from), kCompanyKey, to, kUserCompanies.recordLength);
  };
  companies = withRecord(companies, kUserCompanies, 2, copied(2, 2));
  companies = withRecord(companies, kUserCompanies, 3, copied(3, 3));
  companies = withRecord(companies, kUserCompanies, 7, copied(1, 7));
  expectOnlyChanged(before, after, {{kUserCompanies.path, companies}, {kTaskFile, kTaskLineAfterTheRun}});
  EXPECT_EQ(recordOf(after.at(kUserCompanies.path), kUserCompanies, 7).substr(0, 8), "00007IMP");

  ASSERT_EQ(boxes.boxes().size(), 3u);
  EXPECT_EQ(boxes.boxes()[0].text, "IL RECORD  3 E' ESISTENTE\r\nSOVRASCRIVERE ?");
  EXPECT_EQ(boxes.boxes()[0].buttons, Buttons::kYesNo);
  EXPECT_EQ(boxes.boxes()[1].text, "IL RECORD  1 E' ESISTENTE\r\nSOVRASCRIVERE ?");
  EXPECT_EQ(boxes.boxes()[2].kind, ShownBox::Kind::kInput);
  EXPECT_EQ(boxes.boxes()[2].text, chosenInBrowser[0]);
  EXPECT_EQ(boxes.boxes()[2].title, "Domanda e risposta");
  EXPECT_EQ(boxes.boxes()[2].defaultText, "000");
  EXPECT_TRUE(boxes.allAnswersUsed());
  EXPECT_EQ(boxes.windowsShown(), kFullRun);

  // The copy window showed the user's companies as they now are.
  EXPECT_TRUE(chosenLeft.empty());
  std::vector<std::string> shown;
  for (std::size_t r = 1; r <= recordCount(companies, kUserCompanies); ++r) {
    const std::string record = recordOf(companies, kUserCompanies, r);
    if (record.compare(0, 2, "99") == 0) continue;
    shown.push_back(record.substr(kCompanyKey.pos - 1, kCompanyKey.length) + " " +
                    record.substr(kCompanyDescription.pos - 1, kCompanyDescription.length));
  }
  EXPECT_EQ(userList, shown);
  EXPECT_EQ(userList.size(), 5u);
}

TEST_F(EndToEnd, Formulas_TuttiCopiesEveryChosenLine_AskingOnlyForTheRecordsInUse) {
  chooseInMenu(kFormulasEntry);
  boxes.onWindow("FILESTAN", [this](WindowPresenter& w) {
    auto& browser = dynamic_cast<Filestan&>(w);
    browser.COMANDO1_CLICK(Filestan::kChooseAll);
    chosenInBrowser = browser.lines(Filestan::kChosenList);
    browser.COMANDO1_CLICK(Filestan::kConfirm);
  });
  copyInCopyWindow({});        // "Tutti"
  boxes.answer(Answer::kYes);  // formula 1 in use: overwrite
  boxes.answer(Answer::kNo);   // formula 5 in use: another number
  boxes.type("8");

  ASSERT_EQ(runToTheEnd(), EndReason::kNormal);

  ASSERT_EQ(chosenInBrowser.size(), 6u) << "formulas 1, 2, 3, 5, 6 and 7 are in use";
  const std::string& standard = before.at(kStandardFormulas.path);
  std::string formulas = before.at(kUserFormulas.path);
  for (std::size_t r : {1, 2, 3, 6, 7}) {
    formulas =
        withRecord(formulas, kUserFormulas, r,
                   keyedCopy(recordOf(standard, kStandardFormulas, r), kFormulaKey, r, kUserFormulas.recordLength));
  }
  formulas =
      withRecord(formulas, kUserFormulas, 8,
                 keyedCopy(recordOf(standard, kStandardFormulas, 5), kFormulaKey, 8, kUserFormulas.recordLength));
  expectOnlyChanged(before, after, {{kUserFormulas.path, formulas}, {kTaskFile, kTaskLineAfterTheRun}});
  EXPECT_EQ(recordOf(after.at(kUserFormulas.path), kUserFormulas, 5),
            recordOf(before.at(kUserFormulas.path), kUserFormulas, 5))
      << "the user's own formula 5 stays";

  EXPECT_EQ(texts(), (std::vector<std::string>{"IL RECORD  1 E' ESISTENTE\r\nSOVRASCRIVERE ?",
                                               "IL RECORD  5 E' ESISTENTE\r\nSOVRASCRIVERE ?", chosenInBrowser[3]}));
  EXPECT_TRUE(boxes.allAnswersUsed());
  EXPECT_TRUE(chosenLeft.empty());
  EXPECT_EQ(userList.size(), 7u);
}

TEST_F(EndToEnd, Sectors_TheFourDigitKeyIsRewrittenAsTheNumberTheRecordLandsAt) {
  chooseInMenu(kSectorsEntry);
  chooseInBrowser({"0004", "0001"});
  boxes.onWindow("FILESTA2", [this](WindowPresenter& w) {
    auto& copy = dynamic_cast<Filesta2&>(w);
    // Enter on a chosen line copies it, as a double click does.
    copy.select(Filesta2::kChosenList, lineStarting(copy.lines(Filesta2::kChosenList), "0004"));
    copy.RIEPILOGO1_KEYPRESS(Filesta2::kChosenList, Scelta::kEnter);
    copy.select(Filesta2::kChosenList, lineStarting(copy.lines(Filesta2::kChosenList), "0001"));
    copy.RIEPILOGO1_DBLCLICK(Filesta2::kChosenList);
    chosenLeft = copy.lines(Filesta2::kChosenList);
    userList = copy.lines(Filesta2::kUserList);
    copy.COMANDO1_CLICK(Filesta2::kLeave);
  });
  boxes.answer(Answer::kNo);  // sector 1 in use
  boxes.type("6");

  ASSERT_EQ(runToTheEnd(), EndReason::kNormal);

  const std::string& standard = before.at(kStandardSectors.path);
  std::string sectors = before.at(kUserSectors.path);
  sectors = withRecord(sectors, kUserSectors, 4,
                       keyedCopy(recordOf(standard, kStandardSectors, 4), kSectorKey, 4, kUserSectors.recordLength));
  sectors = withRecord(sectors, kUserSectors, 6,
                       keyedCopy(recordOf(standard, kStandardSectors, 1), kSectorKey, 6, kUserSectors.recordLength));
  expectOnlyChanged(before, after, {{kUserSectors.path, sectors}, {kTaskFile, kTaskLineAfterTheRun}});
  EXPECT_EQ(recordOf(after.at(kUserSectors.path), kUserSectors, 6).substr(kSectorKey.pos - 1, 12), "0006EDILIZIA");

  EXPECT_EQ(texts(), (std::vector<std::string>{"IL RECORD  1 E' ESISTENTE\r\nSOVRASCRIVERE ?", chosenInBrowser[0]}));
  EXPECT_TRUE(chosenLeft.empty());
  EXPECT_EQ(userList, (std::vector<std::string>{"0001 EDILIZIA        ", "0003 COMMERCIO       ",
                                                "0004 TURISMO         ", "0006 EDILIZIA        "}));
}

TEST_F(EndToEnd, Profiles_FreeRecordsTakeTheirStandardRecordsAndNothingElseChanges) {
  chooseInMenu(kProfilesEntry);
  boxes.onWindow("FILESTAN", [this](WindowPresenter& w) {
    auto& browser = dynamic_cast<Filestan&>(w);
    // A double click on a line chooses it.
    for (const char* start : {"007", "002"}) {
      browser.select(Filestan::kStandardList, lineStarting(browser.lines(Filestan::kStandardList), start));
      browser.RIEPILOGO1_DBLCLICK(Filestan::kStandardList);
    }
    chosenInBrowser = browser.lines(Filestan::kChosenList);
    browser.COMANDO1_CLICK(Filestan::kConfirm);
  });
  copyInCopyWindow({});  // "Tutti"

  ASSERT_EQ(runToTheEnd(), EndReason::kNormal);

  ASSERT_EQ(chosenInBrowser.size(), 2u);
  const std::string& standard = before.at(kStandardProfiles.path);
  std::string profiles = before.at(kUserProfiles.path);
  for (std::size_t r : {2, 7}) {
    profiles =
        withRecord(profiles, kUserProfiles, r,
                   keyedCopy(recordOf(standard, kStandardProfiles, r), kProfileKey, r, kUserProfiles.recordLength));
  }
  expectOnlyChanged(before, after, {{kUserProfiles.path, profiles}, {kTaskFile, kTaskLineAfterTheRun}});
  EXPECT_TRUE(boxes.boxes().empty()) << "free records are written without a question";
  EXPECT_TRUE(chosenLeft.empty());
  EXPECT_EQ(userList.size(), 4u);
}

TEST_F(EndToEnd, FixedData_AreExplainedAndNeverCopied_OnlyTheTaskFileChanges) {
  chooseInMenu(kFixedDataEntry);

  ASSERT_EQ(runToTheEnd(), EndReason::kNormal);

  expectOnlyChanged(before, after, {{kTaskFile, kTaskLineAfterTheRun}});
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(
      boxes.boxes()[0].text,
      "ATTENZIONE !!\rArchivio gestito dall'utente...\r(per eventuali informazioni rivolgersi a Veltrani Rudivoz)");
  EXPECT_EQ(boxes.boxes()[0].icon, Icon::kInformation);
  EXPECT_EQ(boxes.windowsShown(), std::vector<std::string>{"Scelta"});
}

TEST_F(EndToEnd, UscitaInTheBrowserLeavesEveryArchiveAsItWas_Companies) {
  chooseAllThenLeave(kCompaniesEntry);

  ASSERT_EQ(runToTheEnd(), EndReason::kNormal);

  EXPECT_EQ(chosenInBrowser.size(), 7u);
  expectOnlyChanged(before, after, {{kTaskFile, kTaskLineAfterTheRun}});
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_EQ(boxes.windowsShown(), (std::vector<std::string>{"Scelta", "FILESTAN"}));
}

TEST_F(EndToEnd, UscitaInTheBrowserLeavesEveryArchiveAsItWas_Employees) {
  chooseAllThenLeave(kEmployeesEntry);

  ASSERT_EQ(runToTheEnd(), EndReason::kNormal);

  EXPECT_EQ(chosenInBrowser.size(), 8u);
  expectOnlyChanged(before, after, {{kTaskFile, kTaskLineAfterTheRun}});
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_EQ(boxes.windowsShown(), (std::vector<std::string>{"Scelta", "FILESTAN"})) << "no copy, no key change";
}

// --- Employees ------------------------------------------------------------------

TEST_F(EndToEnd, Employees_ACodeNotInTheUsersIndexGoesStraightToTheKeyChange_AndIsAppended) {
  chooseInMenu(kEmployeesEntry);
  chooseInBrowser({"BIANCHI"});
  copyInCopyWindow({"BIANCHI"});
  typeInKeyChange({{"3", "1", "25"}});
  boxes.answer(Answer::kOk);  // "CONTINUARE ? "

  ASSERT_EQ(runToTheEnd(), EndReason::kNormal);

  const std::string line = employeeLine(2);
  ASSERT_EQ(chosenInBrowser, std::vector<std::string>{line});
  const std::string written = withCode(standardEmployee(2), "0030010025");
  const std::size_t appended = recordCount(before.at(kUserEmployees.path), kUserEmployees) + 1;
  ASSERT_EQ(appended, 6u);
  expectOnlyChanged(before, after,
                    {{kUserEmployees.path, before.at(kUserEmployees.path) + written},
                     {kEmployeeIndex.path, withIndexEntry(before.at(kEmployeeIndex.path), "0030010025", appended)},
                     {kCompanions.path, before.at(kCompanions.path) + companionOf(written)},
                     {kSemaphoreFile, ""},
                     {kTaskFile, kTaskLineAfterTheRun}});
  EXPECT_EQ(indexed("0030010025"), 6);
  EXPECT_EQ(indexed("0010010005"), -1) << "the standard code is not entered";

  ASSERT_EQ(boxes.boxes().size(), 1u) << "no question before the dialog";
  EXPECT_EQ(boxes.boxes()[0].text, "CONTINUARE ? ");
  EXPECT_EQ(boxes.boxes()[0].title, "CODICE 0030010025 OK");
  EXPECT_EQ(boxes.windowsShown(), (std::vector<std::string>{"Scelta", "FILESTAN", "FILESTA2", "CODNUO"}));
  EXPECT_TRUE(chosenLeft.empty());
  EXPECT_EQ(userList, std::vector<std::string>{"0030010025 " + line});
}

TEST_F(EndToEnd, Employees_ATakenCodeAndNo_LeadToANewCode_CheckedAgainstCompaniesAndIndexUntilAccepted) {
  chooseInMenu(kEmployeesEntry);
  chooseInBrowser({"ROSSI"});
  copyInCopyWindow({"ROSSI"});
  // First a company the user does not have (record 2 is free), then a code
  // the user already has, then a free one.
  typeInKeyChange({{"2", "1", "3"}, {"1", "1", "2"}, {"1", "1", "3"}});
  boxes.answer(Answer::kNo);  // "SOVRASCRIVERE ?"
  boxes.answer(Answer::kOk);  // "NON ESISTE"
  boxes.answer(Answer::kOk);  // "E' ESITENTE"
  boxes.answer(Answer::kOk);  // "CONTINUARE ? "

  ASSERT_EQ(runToTheEnd(), EndReason::kNormal);

  const std::string written = withCode(standardEmployee(1), "0010010003");
  expectOnlyChanged(before, after,
                    {{kUserEmployees.path, before.at(kUserEmployees.path) + written},
                     {kEmployeeIndex.path, withIndexEntry(before.at(kEmployeeIndex.path), "0010010003", 6)},
                     {kCompanions.path, before.at(kCompanions.path) + companionOf(written)},
                     {kSemaphoreFile, ""},
                     {kTaskFile, kTaskLineAfterTheRun}});
  EXPECT_EQ(indexed("0010010003"), 6);
  EXPECT_EQ(indexed("0010010001"), 1) << "the user's own employee keeps its code";

  EXPECT_EQ(texts(), (std::vector<std::string>{"IL CODICE 0010010001 E' ESISTENTE\r\nSOVRASCRIVERE ?",
                                               "IL CODICE DITTA  2 NON ESISTE",
                                               "IL CODICE DIPENDENTE 0010010002 E' ESITENTE", "CONTINUARE ? "}));
  EXPECT_EQ(boxes.boxes()[0].buttons, Buttons::kYesNo);
  EXPECT_EQ(boxes.boxes()[1].icon, Icon::kCritical);
  EXPECT_EQ(boxes.boxes()[2].icon, Icon::kCritical);
  EXPECT_TRUE(boxes.allAnswersUsed());
  EXPECT_EQ(userList, std::vector<std::string>{"0010010003 " + employeeLine(1)});
}

TEST_F(EndToEnd, Employees_ATakenCodeAndYes_RewriteTheUsersRecordOfThatCodeOnly) {
  chooseInMenu(kEmployeesEntry);
  chooseInBrowser({"ROSSI"});
  copyInCopyWindow({"ROSSI"});
  boxes.answer(Answer::kYes);

  ASSERT_EQ(runToTheEnd(), EndReason::kNormal);

  expectOnlyChanged(
      before, after,
      {{kUserEmployees.path, withRecord(before.at(kUserEmployees.path), kUserEmployees, 1, standardEmployee(1))},
       {kSemaphoreFile, ""},
       {kTaskFile, kTaskLineAfterTheRun}});
  EXPECT_EQ(indexed("0010010001"), 1);
  EXPECT_EQ(texts(), std::vector<std::string>{"IL CODICE 0010010001 E' ESISTENTE\r\nSOVRASCRIVERE ?"});
  EXPECT_EQ(boxes.windowsShown(), kFullRun) << "no key change";
  EXPECT_EQ(userList, std::vector<std::string>{"0010010001 " + employeeLine(1)});
}

TEST_F(EndToEnd, Employees_TuttiAppendsEachNewCodeInTurn_AndAYesOverwritesWhereTheIndexPoints) {
  // BIANCHI (standard 2) gets RICCI's code, GRECO (standard 9) a code of its
  // own; RICCI (standard 7) then finds its code taken at user record 6, which
  // is overwritten: record 7, its number in the standard archive, is GRECO's
  // by then and stays.
  chooseInMenu(kEmployeesEntry);
  chooseInBrowser({"BIANCHI", "RICCI", "GRECO"});
  copyInCopyWindow({});  // "Tutti"
  typeInKeyChange({{"4", "1", "4"}, {"4", "1", "9"}});
  boxes.answer(Answer::kOk);   // CONTINUARE, 0040010004
  boxes.answer(Answer::kOk);   // CONTINUARE, 0040010009
  boxes.answer(Answer::kYes);  // SOVRASCRIVERE 0040010004

  ASSERT_EQ(runToTheEnd(), EndReason::kNormal);

  ASSERT_EQ(standardEmployee(7).substr(kEmployeeCode.pos - 1, kEmployeeCode.length), "0040010004");
  const std::string bianchi = withCode(standardEmployee(2), "0040010004");
  const std::string greco = withCode(standardEmployee(9), "0040010009");
  std::string index = withIndexEntry(before.at(kEmployeeIndex.path), "0040010004", 6);
  index = withIndexEntry(index, "0040010009", 7);
  expectOnlyChanged(before, after,
                    {{kUserEmployees.path, before.at(kUserEmployees.path) + standardEmployee(7) + greco},
                     {kEmployeeIndex.path, index},
                     {kCompanions.path, before.at(kCompanions.path) + companionOf(bianchi) + companionOf(greco)},
                     {kSemaphoreFile, ""},
                     {kTaskFile, kTaskLineAfterTheRun}});
  EXPECT_EQ(indexed("0040010004"), 6);
  EXPECT_EQ(indexed("0040010009"), 7);

  EXPECT_EQ(texts(), (std::vector<std::string>{"CONTINUARE ? ", "CONTINUARE ? ",
                                               "IL CODICE 0040010004 E' ESISTENTE\r\nSOVRASCRIVERE ?"}));
  EXPECT_TRUE(boxes.allAnswersUsed());
  EXPECT_TRUE(chosenLeft.empty());
  EXPECT_EQ(userList, (std::vector<std::string>{"0040010004 " + employeeLine(2), "0040010004 " + employeeLine(7),
                                                "0040010009 " + employeeLine(9)}));
}

TEST_F(EndToEnd, Employees_LeavingTheKeyChangeWithoutACodeEndsTheRun_WithNothingWritten) {
  chooseInMenu(kEmployeesEntry);
  chooseInBrowser({"ESPOSITO", "BIANCHI"});
  copyInCopyWindow({});  // "Tutti"
  typeInKeyChange({{"3", "1", "7", Finish::kUscita}});

  ASSERT_EQ(runToTheEnd(), EndReason::kNormal);

  expectOnlyChanged(before, after, {{kTaskFile, kTaskLineAfterTheRun}});
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_EQ(boxes.windowsShown(), (std::vector<std::string>{"Scelta", "FILESTAN", "FILESTA2", "CODNUO"}))
      << "the end comes from the key change, before the second line";
}

TEST_F(EndToEnd, Employees_ACodeConfirmedUncheckedThatIsTaken_IsRefusedAndTheLineStaysChosen) {
  // "&Conferma" hands over the code unchecked: the user's code 0030010001 is
  // taken, so nothing is written, the operator is told, and "Tutti" stops
  // instead of offering the same line again.
  chooseInMenu(kEmployeesEntry);
  chooseInBrowser({"BIANCHI", "COLOMBO"});
  copyInCopyWindow({});  // "Tutti"
  typeInKeyChange({{"3", "1", "1", Finish::kConferma}});

  ASSERT_EQ(runToTheEnd(), EndReason::kNormal);

  expectOnlyChanged(before, after, {{kSemaphoreFile, ""}, {kTaskFile, kTaskLineAfterTheRun}});
  EXPECT_EQ(indexed("0030010001"), 4) << "the user's own employee keeps its code";
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "ATTENZIONE!!!! CODICE 0030010001 GIA ESISTENTE");
  EXPECT_EQ(boxes.boxes()[0].title, "Copia dipendente da archivi standard");
  EXPECT_EQ(boxes.boxes()[0].icon, Icon::kInformation);
  EXPECT_EQ(boxes.windowsShown(), (std::vector<std::string>{"Scelta", "FILESTAN", "FILESTA2", "CODNUO"}));
  EXPECT_EQ(chosenLeft, (std::vector<std::string>{employeeLine(2), employeeLine(6)}));
  EXPECT_TRUE(userList.empty());
}

}  // namespace
}  // namespace vt
