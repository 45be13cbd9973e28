// Answers the program must not take: a new record number that is not whole,
// and a task file that is there but cannot be read.
#include <gtest/gtest.h>

#include "archive_install.h"
#include "core/failure.h"
#include "scripted_dialogs.h"
#include "startup/installation.h"
#include "ui/copy_window.h"

namespace vt {
namespace {

using testing::kCompanies;

TEST(UnusableAnswers, ANewNumberThatIsNotWholeIsAskedAgain) {
  testing::TempFolder folder;
  testing::ScriptedDialogs dialogs;
  testing::ThrowingEndHook endHook;
  testing::ArchiveInstall install{folder};
  install.file(kCompanies.standardFile, "STANDARD.DAT", 60, testing::numberedRecords(kCompanies, 60, 6));
  install.file(kCompanies.userFile, "UTENTE.DAT", 60, testing::numberedRecords(kCompanies, 60, 14, "MIA"));
  install.open(kCompanies);
  Filesta2 window;
  window.addChosenLine(testing::lineOf(kCompanies, testing::numberedRecord(kCompanies, 60, 5)));
  window.load();
  dialogs.answer(Answer::kNo);   // record 5 is in use: another number
  dialogs.answer(Answer::kYes);  // record 12 is in use too: overwritten
  for (const char* answer : {"1.5", "0.5", "-3", "12"}) dialogs.type(answer);

  window.select(Filesta2::kChosenList, 0);
  window.COMANDO1_CLICK(Filesta2::kCopyOne);

  EXPECT_EQ(dialogs.boxes().size(), 6u);
  EXPECT_EQ(install.bytes("UTENTE.DAT").substr(11 * 60 + 2, 3), "012") << "written at record 12";
}

TEST(UnusableAnswers, ATaskFileThatIsAFolderIsAFailureForTheTrap) {
  testing::TempFolder folder;
  folder.write("drives/C/TARNIX/TARNIX.INI/inside", "");
  S().NOMEPROGRAMMA = "VTMERV";
  EXPECT_THROW(readTaskNumber(), RuntimeFailure);
}

}  // namespace
}  // namespace vt
