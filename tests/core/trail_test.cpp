// The procedure trail and the error trap, seen through the boxes they show.
#include <gtest/gtest.h>

#include "core/state.h"
#include "core/trail.h"
#include "scripted_dialogs.h"
#include "temp_install.h"

namespace vt {
namespace {

using testing::ScriptedDialogs;
using testing::ThrowingEndHook;

class TrailTest : public ::testing::Test {
 protected:
  testing::TempFolder folder;  // resets the state
  ScriptedDialogs dialogs;
  ThrowingEndHook endHook;
};

std::string lines(std::initializer_list<std::string> names) {
  std::string text;
  for (const std::string& name : names) text += name + "\r\n";
  return text;
}

TEST_F(TrailTest, AName_RepeatedRightAfterItself_IsRecordedOnce) {
  REGISTRAPROC("MAIN");
  REGISTRAPROC("MAIN");
  EXPECT_EQ(S().POSPROC, 1);

  REGISTRAPROC("FAIOPEN");
  REGISTRAPROC("MAIN");
  EXPECT_EQ(S().POSPROC, 3);
  EXPECT_EQ(S().ULTIMEPROC[1], "MAIN");
  EXPECT_EQ(S().ULTIMEPROC[2], "FAIOPEN");
  EXPECT_EQ(S().ULTIMEPROC[3], "MAIN");
}

TEST_F(TrailTest, TheEleventhName_OverwritesSlotOne_AndTheTrapListsItLast) {
  for (int i = 1; i <= 11; ++i) REGISTRAPROC("P" + std::to_string(i));
  EXPECT_EQ(S().POSPROC, 1);
  EXPECT_EQ(S().ULTIMEPROC[1], "P11");

  EXPECT_THROW(GESTIONEERRORE(RuntimeFailure(53, "Impossibile trovare il file")), ProgramEnded);
  ASSERT_EQ(dialogs.boxes().size(), 2u);
  EXPECT_EQ(dialogs.boxes()[0].text, "Errore 53 Impossibile trovare il file\r\n" +
                                         lines({"P2", "P3", "P4", "P5", "P6", "P7", "P8", "P9", "P10", "P11"}));
  // The walk round the ring leaves the position where it was.
  EXPECT_EQ(S().POSPROC, 1);
}

TEST_F(TrailTest, AFailureInTheFirstProcedure_ListsNineEmptyLinesThenMain) {
  S().NOMEPROGRAMMA = "VTMERV";
  REGISTRAPROC("MAIN");
  try {
    guarded([] { raiseFailure(err::kDiskFull); });
    FAIL() << "the trap must end the program";
  } catch (const ProgramEnded& ended) {
    EXPECT_EQ(ended.reason, EndReason::kAtOnce);
  }
  ASSERT_EQ(dialogs.boxes().size(), 2u);
  const auto& first = dialogs.boxes()[0];
  EXPECT_EQ(first.text, "Errore 61 Disco pieno\r\n" + lines({"", "", "", "", "", "", "", "", "", "MAIN"}));
  EXPECT_EQ(first.title, "Tessaro VTMERV");
  EXPECT_EQ(first.icon, Icon::kCritical);
  EXPECT_EQ(first.buttons, Buttons::kOk);
  const auto& second = dialogs.boxes()[1];
  EXPECT_EQ(second.text, "CHIUDERE TUTTE LE APPLICAZIONI DELLA TASK\r\nLANCIARE RIPRISTINO TASK");
  EXPECT_EQ(second.title, "Tessaro");
  EXPECT_EQ(second.icon, Icon::kInformation);
}

TEST_F(TrailTest, TheTrapMessage_ListsTheTrailOldestFirst) {
  for (const char* name : {"MAIN", "CARICAPERCORSI", "FORM_ACTIVATE", "ADDSTRING"}) REGISTRAPROC(name);
  EXPECT_THROW(GESTIONEERRORE(RuntimeFailure(-5, "negativo")), ProgramEnded);
  EXPECT_EQ(dialogs.boxes()[0].text, "Errore -5 negativo\r\n" + lines({"", "", "", "", "", ""}) +
                                         lines({"MAIN", "CARICAPERCORSI", "FORM_ACTIVATE", "ADDSTRING"}));
}

TEST_F(TrailTest, APrinterFailure_OffersRetryThenSkipThenEnd) {
  int attempts = 0;
  int after = 0;
  auto printerStatement = [&] {
    ++attempts;
    if (attempts < 3) raiseFailure(err::kPrinter);
  };

  // Yes retries: the statement runs again and succeeds on the third try.
  dialogs.answer(Answer::kYes);
  dialogs.answer(Answer::kYes);
  guarded(printerStatement);
  EXPECT_EQ(attempts, 3);
  ASSERT_EQ(dialogs.boxes().size(), 2u);
  EXPECT_EQ(dialogs.boxes()[0].text, "ERR.STAMPANTE - SI VUOLE RITENTARE ?");
  EXPECT_EQ(dialogs.boxes()[0].buttons, Buttons::kYesNo);
  EXPECT_EQ(dialogs.boxes()[0].icon, Icon::kCritical);
  EXPECT_EQ(dialogs.boxes()[0].title, "Tessaro");

  // No then No skips the failed statement; the procedure goes on after it.
  dialogs.answer(Answer::kNo);
  dialogs.answer(Answer::kNo);
  guarded([] { raiseFailure(err::kPrinter); });
  guarded([&] { ++after; });
  EXPECT_EQ(after, 1);
  EXPECT_EQ(dialogs.boxes()[3].text, "CHIUDERE IL PROGRAMMA ? (se si risp.NO il progr.perde la riga e prosegue)");
  EXPECT_EQ(dialogs.boxes()[3].icon, Icon::kExclamation);

  // No then Yes ends the program at once, without the trail message.
  dialogs.answer(Answer::kNo);
  dialogs.answer(Answer::kYes);
  EXPECT_THROW(guarded([] { raiseFailure(err::kPrinter); }), ProgramEnded);
  EXPECT_EQ(dialogs.boxes().size(), 6u);
}

TEST_F(TrailTest, GuardedValue_GivesTheFallbackWhenTheStatementIsSkipped) {
  dialogs.answer(Answer::kNo);
  dialogs.answer(Answer::kNo);
  int value = guardedValue([]() -> int { raiseFailure(err::kPrinter); }, -1);
  EXPECT_EQ(value, -1);
  EXPECT_EQ(guardedValue([] { return 7; }, -1), 7);
}

TEST_F(TrailTest, ATableIndexOutsideItsRange_IsAFailureThatReachesTheTrap) {
  REGISTRAPROC("MAIN");
  EXPECT_THROW(guarded([] { S().TABPARAM[51] = 1; }), ProgramEnded);
  EXPECT_EQ(dialogs.boxes()[0].text.rfind("Errore 9 ", 0), 0u);
}

}  // namespace
}  // namespace vt
