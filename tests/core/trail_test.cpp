// The procedure trail and the error trap, seen through the boxes they show.
#include <gtest/gtest.h>

#include "core/state.h"
#include "core/trail.h"
#include "scripted_dialogs.h"
#include "temp_install.h"

namespace vt {
namespace {

class Trail : public ::testing::Test {
 protected:
  testing::TempFolder folder;  // resets the state
  testing::ScriptedDialogs dialogs;
  testing::ThrowingEndHook endHook;
};

TEST_F(Trail, TheTrapShowsTheFailureAndTheLastTenNamesOldestFirst_ThenEnds) {
  S().NOMEPROGRAMMA = "VTMERV";
  for (const char* name : {"MAIN", "MAIN", "FAIOPEN", "MAIN"}) REGISTRAPROC(name);
  EXPECT_THROW(guarded([] { raiseFailure(err::kDiskFull); }), ProgramEnded);
  for (int i = 1; i <= 9; ++i) REGISTRAPROC("P" + std::to_string(i));
  EXPECT_THROW(GESTIONEERRORE(RuntimeFailure(-5, "negativo")), ProgramEnded);
  ASSERT_EQ(dialogs.boxes().size(), 4u);
  EXPECT_EQ(dialogs.boxes()[0].text, "Errore 61 Disco pieno\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\nMAIN\r\nFAIOPEN\r\nMAIN\r\n");
  EXPECT_TRUE(dialogs.boxes()[0].title == "Tessaro VTMERV" && dialogs.boxes()[0].icon == Icon::kCritical);
  EXPECT_EQ(dialogs.boxes()[1].text, "CHIUDERE TUTTE LE APPLICAZIONI DELLA TASK\r\nLANCIARE RIPRISTINO TASK");
  EXPECT_TRUE(dialogs.boxes()[1].title == "Tessaro" && dialogs.boxes()[1].icon == Icon::kInformation);
  EXPECT_EQ(dialogs.boxes()[2].text, "Errore -5 negativo\r\nMAIN\r\nP1\r\nP2\r\nP3\r\nP4\r\nP5\r\nP6\r\nP7\r\nP8\r\nP9\r\n");
}

TEST_F(Trail, APrinterFailureOffersRetry_ThenSkip_ThenEnd) {
  int attempts = 0;
  for (Answer a : {Answer::kYes, Answer::kYes, Answer::kNo, Answer::kNo, Answer::kNo, Answer::kYes}) dialogs.answer(a);
  guarded([&] {
    if (++attempts < 3) raiseFailure(err::kPrinter);
  });
  EXPECT_EQ(attempts, 3);
  EXPECT_EQ(guardedValue([]() -> int { raiseFailure(err::kPrinter); }, -1), -1);
  EXPECT_THROW(guarded([] { raiseFailure(err::kPrinter); }), ProgramEnded);
  const std::string retry = "ERR.STAMPANTE - SI VUOLE RITENTARE ?";
  const std::string end = "CHIUDERE IL PROGRAMMA ? (se si risp.NO il progr.perde la riga e prosegue)";
  EXPECT_EQ(dialogs.messageTexts(), (std::vector<std::string>{retry, retry, retry, end, retry, end}));
  EXPECT_EQ(dialogs.boxes()[3].icon, Icon::kExclamation);
}

}  // namespace
}  // namespace vt
