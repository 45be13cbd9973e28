// The copy's new-number box: an answer that names no record is asked again.
#include <gtest/gtest.h>

#include "archive_install.h"
#include "scripted_dialogs.h"
#include "temp_install.h"
#include "ui/copy_window.h"

namespace vt {
namespace {

using testing::kCompanies;

constexpr int kLength = 60;

TEST(NewNumber, AnAnswerThatIsNotAWholeNumberIsAskedAgain) {
  for (const char* notWhole : {"1.5", "0.5", "12.5", "-3"}) {
    SCOPED_TRACE(notWhole);
    testing::TempFolder folder;
    testing::ScriptedDialogs dialogs;
    testing::ThrowingEndHook endHook;
    testing::ArchiveInstall install{folder};
    install.file(kCompanies.standardFile, "STANDARD.DAT", kLength, testing::numberedRecords(kCompanies, kLength, 6));
    std::vector<std::string> user = testing::numberedRecords(kCompanies, kLength, 14, "MIA");
    user[11] = testing::freeRecord(kCompanies, kLength);
    install.file(kCompanies.userFile, "UTENTE.DAT", kLength, user);
    install.open(kCompanies);
    Filesta2 window;
    window.addChosenLine(testing::lineOf(kCompanies, testing::numberedRecord(kCompanies, kLength, 5)));
    window.load();
    dialogs.answer(Answer::kNo);
    dialogs.type(notWhole);
    dialogs.type("12");

    window.select(Filesta2::kChosenList, 0);
    window.COMANDO1_CLICK(Filesta2::kCopyOne);

    ASSERT_EQ(dialogs.boxes().size(), 3u);
    EXPECT_EQ(dialogs.boxes()[2].kind, testing::ShownBox::Kind::kInput);
    EXPECT_EQ(install.bytes("UTENTE.DAT").substr(11 * kLength + 2, 3), "012") << "written at record 12";
    EXPECT_TRUE(window.lines(Filesta2::kChosenList).empty());
  }
}

}  // namespace
}  // namespace vt
