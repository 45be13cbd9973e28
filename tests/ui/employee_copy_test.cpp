// The employee copy, checked on the bytes of the user's employee file, its
// index and its companion file.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <set>

#include "core/state.h"
#include "file_table.h"
#include "other_program.h"
#include "platform/files.h"
#include "records/files.h"
#include "records/isam.h"
#include "records/records.h"
#include "records/semaphore.h"
#include "scripted_dialogs.h"
#include "temp_install.h"
#include "ui/archive_lines.h"
#include "ui/copy_window.h"
#include "ui/employee_copy.h"
#include "util/text.h"

namespace vt {
namespace {

using testing::ScriptedDialogs;

constexpr int kEmployeeLength = 9600;
constexpr int kCompanionLength = 300;
constexpr int kCompanyLength = 400;
constexpr std::size_t kDescriptionPos = 9515;

// An employee record in use: status "00", the code at 3 to 12, a head of
// personal data, the name at 9515.
std::string employee(const std::string& code, const std::string& name) {
  std::string record(kEmployeeLength, ' ');
  overwrite(record, 1, "00" + code + "RSSMRA70A01H501Z M19700101");
  overwrite(record, 80, "DATI DI BUSTA");
  overwrite(record, kDescriptionPos, fitRight(name, 30) + "ROMA");
  return record;
}

std::string company(int number, const std::string& name) {
  std::string record(kCompanyLength, ' ');
  overwrite(record, 1, "00" + zeroPad(std::to_string(number), 3) + name);
  return record;
}

// The line the browser gives standard employee `record` of `text`.
std::string lineOf(const std::string& text, int record) {
  return MID(text, kDescriptionPos, 35) + " " + zeroPad(std::to_string(record), 5);
}

// An installation with two standard employees, a user employee file of two
// employees registered in index 7 and companion file 97, and the companies.
class EmployeeCopy : public ::testing::Test {
 protected:
  static constexpr const char* kArchives = "drives/C/ARCHIVI/";

  void SetUp() override {
    folder.write(std::string(kArchives) + "WKBASE.DAT",
                 testing::baseTable({{1, {"WKDITTE.DAT", kCompanyLength}},
                                     {2, {"WKDIPE.DAT", kEmployeeLength}},
                                     {7, {"WKDIPE.IDX", 2176}},
                                     {97, {"WKDIPC.DAT", kCompanionLength}},
                                     {202, {"STDIPE.DAT", kEmployeeLength}}}));
    standard1 = employee("0010010001", "ROSSI MARIO");
    standard2 = employee("0010010002", "BIANCHI LUCIA");
    folder.write(std::string(kArchives) + "STDIPE.DAT", standard1 + standard2);
    user1 = employee("0050010001", "VERDI ANNA");
    user2 = employee("0010010002", "NERI PAOLO");
    folder.write(std::string(kArchives) + "WKDIPE.DAT", user1 + user2);
    folder.write(std::string(kArchives) + "WKDIPC.DAT", std::string(2 * kCompanionLength, '7'));
    folder.write(std::string(kArchives) + "WKDITTE.DAT", company(1, "TESSARO SPA") + company(5, "ACME SRL"));

    State& s = S();
    s.PERARK = "C:\\ARCHIVI";
    s.NOMEPROGRAMMA = "VTMERV";
    s.TABPARAM[1] = 202;
    s.TABPARAM[9] = 2;
    s.TABPARAM[2] = 3;
    s.TABPARAM[3] = 10;
    s.TABPARAM[4] = static_cast<std::int16_t>(kDescriptionPos);
    s.TABPARAM[5] = 35;
    FAIOPEN(202);
    FAIOPEN(2);
    FAIOPEN(7);
    ISAM(7, "", kIsamInitialise);
    ISAM(7, "0050010001", kIsamInsert, 1);
    ISAM(7, "0010010002", kIsamInsert, 2);
    CHIUDIFILE(7);
  }

  // The operator gives `code` in the key change dialog.
  void newCodeWillBe(const std::string& code) {
    dialogs.onWindow("CODNUO", [code](WindowPresenter& dialog) {
      S().TABTESTI[50] = code;
      dialog.close();
    });
  }

  std::string file(const std::string& name) const { return folder.read(kArchives + name); }

  // Search of `code` in index 7.
  double indexed(const std::string& code) {
    FAIOPEN(7);
    const double found = ISAM(7, code, kIsamSearch);
    EXPECT_TRUE(checkIndex(7).empty());
    CHIUDIFILE(7);
    return found;
  }

  testing::TempFolder folder;
  ScriptedDialogs dialogs;
  testing::ThrowingEndHook endHook;
  Filesta2 window;
  std::string standard1, standard2, user1, user2;
};

std::string withCode(std::string record, const std::string& code) {
  overwrite(record, 3, code);
  return record;
}

TEST_F(EmployeeCopy, ACodeNotInTheIndexGetsANewCodeAndLandsAfterTheLastRecord) {
  const std::string line = lineOf(standard1, 1);
  window.addChosenLine(line);
  newCodeWillBe("0050020007");

  EXPECT_EQ(SCRIVI2(window, line, 0), Filesta2::kCopied);

  // No question: the dialog came at once.
  EXPECT_TRUE(dialogs.boxes().empty());
  EXPECT_EQ(dialogs.windowsShown(), std::vector<std::string>{"CODNUO"});
  const std::string written = withCode(standard1, "0050020007");
  EXPECT_EQ(file("WKDIPE.DAT"), user1 + user2 + written);
  EXPECT_EQ(indexed("0050020007"), 3);
  EXPECT_EQ(file("WKDIPC.DAT"), std::string(2 * kCompanionLength, '7') + written.substr(0, 45) +
                                    std::string(55, ' ') + std::string(kCompanionLength - 100, '0'));
  EXPECT_TRUE(window.lines(Filesta2::kChosenList).empty());
  EXPECT_EQ(window.lines(Filesta2::kUserList), std::vector<std::string>{"0050020007 " + line});
  // The semaphore and the copy's own files are closed again.
  EXPECT_EQ(S().NUMEROFILE[kSemaphoreFileNumber], 0);
  EXPECT_EQ(S().NUMEROFILE[7], 0);
  EXPECT_EQ(S().NUMEROFILE[97], 0);
}

TEST_F(EmployeeCopy, YesOnAnExistingCodeRewritesTheRecordTheIndexPointsAt) {
  // Standard record 2 carries code 0010010002, which the user has at record 2;
  // move it to record 1 of the index to tell the two numbers apart.
  FAIOPEN(7);
  ISAM(7, "0010010002", kIsamDelete);
  ISAM(7, "0050010001", kIsamDelete);
  ISAM(7, "0010010002", kIsamInsert, 1);
  CHIUDIFILE(7);
  const std::string indexBefore = file("WKDIPE.IDX");
  const std::string line = lineOf(standard2, 2);
  window.addChosenLine(line);
  dialogs.answer(Answer::kYes);

  EXPECT_EQ(SCRIVI2(window, line, 0), Filesta2::kCopied);

  ASSERT_EQ(dialogs.boxes().size(), 1u);
  EXPECT_EQ(dialogs.boxes()[0].text, "IL CODICE 0010010002 E' ESISTENTE\r\nSOVRASCRIVERE ?");
  EXPECT_EQ(dialogs.boxes()[0].buttons, Buttons::kYesNo);
  EXPECT_TRUE(dialogs.windowsShown().empty());
  EXPECT_EQ(file("WKDIPE.DAT"), standard2 + user2);
  EXPECT_EQ(file("WKDIPE.IDX"), indexBefore);
  EXPECT_EQ(file("WKDIPC.DAT"), std::string(2 * kCompanionLength, '7'));
  EXPECT_EQ(window.lines(Filesta2::kUserList), std::vector<std::string>{"0010010002 " + line});
}

TEST_F(EmployeeCopy, NoOnAnExistingCodeLeadsToTheKeyChangeDialog) {
  const std::string line = lineOf(standard2, 2);
  window.addChosenLine(line);
  dialogs.answer(Answer::kNo);
  newCodeWillBe("0050010009");

  EXPECT_EQ(SCRIVI2(window, line, 0), Filesta2::kCopied);

  EXPECT_EQ(dialogs.windowsShown(), std::vector<std::string>{"CODNUO"});
  EXPECT_EQ(file("WKDIPE.DAT"), user1 + user2 + withCode(standard2, "0050010009"));
  EXPECT_EQ(indexed("0050010009"), 3);
  EXPECT_EQ(indexed("0010010002"), 2);
}

TEST_F(EmployeeCopy, TwoEmployeesCopiedOneAfterTheOtherGetConsecutiveNumbers) {
  const std::string first = lineOf(standard1, 1);
  const std::string second = lineOf(standard2, 2);
  window.addChosenLine(first);
  window.addChosenLine(second);
  newCodeWillBe("0050030001");
  ASSERT_EQ(SCRIVI2(window, first, 1), Filesta2::kCopied);
  dialogs.answer(Answer::kNo);
  newCodeWillBe("0050030002");
  ASSERT_EQ(SCRIVI2(window, second, 0), Filesta2::kCopied);

  EXPECT_EQ(indexed("0050030001"), 3);
  EXPECT_EQ(indexed("0050030002"), 4);
  EXPECT_EQ(file("WKDIPE.DAT").size(), 4u * kEmployeeLength);
  EXPECT_EQ(file("WKDIPC.DAT").size(), 4u * kCompanionLength);
}

TEST_F(EmployeeCopy, ANewCodeTakenMeanwhileIsNotWritten_AndTheLineStaysChosen) {
  const std::string line = lineOf(standard1, 1);
  window.addChosenLine(line);
  newCodeWillBe("0050010001");  // already the user's record 1
  bool heldWhileWarning = false;
  dialogs.onMessage([&](const testing::ShownBox&) { heldWhileWarning = S().NUMEROFILE[kSemaphoreFileNumber] != 0; });
  const std::string employeesBefore = file("WKDIPE.DAT");
  const std::string indexBefore = file("WKDIPE.IDX");

  EXPECT_EQ(SCRIVI2(window, line, 0), Filesta2::kNothingCopied);

  ASSERT_EQ(dialogs.boxes().size(), 1u);
  EXPECT_EQ(dialogs.boxes()[0].text, "ATTENZIONE!!!! CODICE 0050010001 GIA ESISTENTE");
  EXPECT_EQ(dialogs.boxes()[0].title, "Copia dipendente da archivi standard");
  EXPECT_EQ(dialogs.boxes()[0].icon, Icon::kInformation);
  EXPECT_TRUE(heldWhileWarning);
  EXPECT_EQ(file("WKDIPE.DAT"), employeesBefore);
  EXPECT_EQ(file("WKDIPE.IDX"), indexBefore);
  EXPECT_EQ(file("WKDIPC.DAT"), std::string(2 * kCompanionLength, '7'));
  EXPECT_EQ(window.lines(Filesta2::kChosenList), std::vector<std::string>{line});
  EXPECT_TRUE(window.lines(Filesta2::kUserList).empty());
  EXPECT_EQ(S().NUMEROFILE[kSemaphoreFileNumber], 0);
}

TEST_F(EmployeeCopy, RecordsThatCannotBeReadWholeAreNeverCopied) {
  // The index points past the end of the user's file.
  FAIOPEN(7);
  ISAM(7, "0010010001", kIsamInsert, 9);
  CHIUDIFILE(7);
  const std::string indexBefore = file("WKDIPE.IDX");
  const std::string cutShort = lineOf(standard2, 3);  // no standard record 3
  const std::string pastEnd = lineOf(standard1, 1);
  window.addChosenLine(cutShort);
  window.addChosenLine(pastEnd);
  dialogs.answer(Answer::kOk);
  dialogs.answer(Answer::kYes);

  EXPECT_EQ(SCRIVI2(window, cutShort, 1), Filesta2::kNothingCopied);
  EXPECT_EQ(SCRIVI2(window, pastEnd, 0), Filesta2::kNothingCopied);

  const auto texts = dialogs.messageTexts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "NUMERO RECORD FUORI DAI LIMITI DEL ARCHIVIO");
  EXPECT_EQ(texts[1], "IL CODICE 0010010001 E' ESISTENTE\r\nSOVRASCRIVERE ?");
  EXPECT_EQ(texts[2], "NUMERO RECORD FUORI DAI LIMITI DEL ARCHIVIO");
  EXPECT_EQ(file("WKDIPE.DAT"), user1 + user2);
  EXPECT_EQ(file("WKDIPE.IDX"), indexBefore);
  EXPECT_EQ(window.lines(Filesta2::kChosenList).size(), 2u);
  EXPECT_EQ(S().NUMEROFILE[kSemaphoreFileNumber], 0);
}

// Whether another process could take the semaphore right now.
bool semaphoreFree() { return testing::runOtherProgram({"try", S().PERARK + "\\WKSEMA.DAT"}) == 0; }

TEST_F(EmployeeCopy, TheSemaphoreIsFreeWhileTheOperatorAnswers) {
  const std::string line = lineOf(standard2, 2);
  window.addChosenLine(line);
  dialogs.answer(Answer::kNo);
  bool freeWhileAsked = false;
  bool freeWhileDialog = false;
  dialogs.onMessage([&](const testing::ShownBox&) { freeWhileAsked = semaphoreFree(); });
  dialogs.onWindow("CODNUO", [&](WindowPresenter& w) {
    freeWhileDialog = semaphoreFree();
    S().TABTESTI[50] = "0050040001";
    w.close();
  });
  EXPECT_EQ(SCRIVI2(window, line, 0), Filesta2::kCopied);
  EXPECT_TRUE(freeWhileAsked);
  EXPECT_TRUE(freeWhileDialog);
  EXPECT_TRUE(semaphoreFree());
}

#ifndef _WIN32  // fork: the copying processes share the test's set-up
// Two programs copy different employees into the same user archive at the
// same time: every record lands once, and every code in the index points at
// the record that carries it.
TEST_F(EmployeeCopy, TwoProcessesCopyingAtOnceLoseNothing) {
  constexpr int kCopiesEach = 40;
  auto copier = [&](int subCompany) {
    ScriptedDialogs own;
    Filesta2 copyWindow;
    const std::string line = lineOf(standard1, 1);
    for (int i = 1; i <= kCopiesEach; ++i) {
      const std::string code = "005" + zeroPad(std::to_string(subCompany), 3) + zeroPad(std::to_string(i), 4);
      own.onWindow("CODNUO", [code](WindowPresenter& w) {
        S().TABTESTI[50] = code;
        w.close();
      });
      copyWindow.addChosenLine(line);
      if (SCRIVI2(copyWindow, line, 0) != Filesta2::kCopied) {
        for (const auto& box : own.boxes()) std::fprintf(stderr, "box: %s\n", box.text.c_str());
        ::_exit(2);
      }
    }
    ::_exit(0);
  };
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = ::fork();
    if (children[c] == 0) copier(c + 11);
  }
  for (pid_t child : children) {
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  }

  const std::string employees = file("WKDIPE.DAT");
  ASSERT_EQ(employees.size(), static_cast<std::size_t>(2 + 2 * kCopiesEach) * kEmployeeLength);
  FAIOPEN(7);
  EXPECT_TRUE(checkIndex(7).empty());
  std::set<double> records;
  for (int c = 11; c <= 12; ++c) {
    for (int i = 1; i <= kCopiesEach; ++i) {
      const std::string code = "005" + zeroPad(std::to_string(c), 3) + zeroPad(std::to_string(i), 4);
      const double at = ISAM(7, code, kIsamSearch);
      ASSERT_GT(at, 2) << code;
      EXPECT_EQ(employees.substr(static_cast<std::size_t>(at - 1) * kEmployeeLength + 2, 10), code);
      records.insert(at);
    }
  }
  EXPECT_EQ(records.size(), static_cast<std::size_t>(2 * kCopiesEach));
  EXPECT_EQ(file("WKDIPC.DAT").size(), static_cast<std::size_t>(2 + 2 * kCopiesEach) * kCompanionLength);
}
#endif

}  // namespace
}  // namespace vt
