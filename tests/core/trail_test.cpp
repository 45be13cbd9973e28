// The procedure trail and the error trap, seen through the boxes they show.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <functional>
#include <new>
#include <stdexcept>

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

// An exception that is no run-time failure of the suite is shown by the trap
// as one, with a code, what it says and the trail, and ends the program.
TEST_F(Trail, AnUnexpectedExceptionReachesTheTrapAsAFailureWithACode) {
  REGISTRAPROC("SCRIVI2");
  const std::pair<void (*)(), std::string> cases[] = {
      {[] { throw std::logic_error("indice fuori posto"); }, "Errore 51 Errore interno: indice fuori posto\r\n"},
      {[] { throw std::bad_alloc(); }, "Errore 7 Memoria esaurita\r\n"}, {[] { throw 3; }, "Errore 51 Errore interno\r\n"}};
  for (const auto& [raise, text] : cases) {
    const std::size_t shown = dialogs.boxes().size();
    EXPECT_THROW(try { raise(); } catch (...) { trapCaughtException(); }, ProgramEnded);
    ASSERT_EQ(dialogs.boxes().size(), shown + 2);
    const std::string& box = dialogs.boxes()[shown].text;
    EXPECT_TRUE(box.rfind(text, 0) == 0 && box.find("SCRIVI2") != std::string::npos) << box;
  }
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

// Every refusal the file layer reports reaches the trap with the code the
// operator sees; access denied (75) is never the other program's hold (70),
// for which the semaphore waits.
TEST_F(Trail, EachSystemRefusalIsShownWithItsCode) {
  using K = platform::SystemErrorKind;
  const std::pair<K, const char*> rows[] = {
      {K::kFileNotFound, "53 Impossibile trovare il file"}, {K::kPathNotFound, "76 Impossibile trovare il percorso"},
      {K::kAccessDenied, "75 Errore di accesso al percorso/file"}, {K::kSharingViolation, "70 Autorizzazione negata"},
      {K::kDiskFull, "61 Disco pieno"}, {K::kBadHandle, "52 Nome o numero di file non valido"},
      {K::kHandleInUse, "55 File gi\xE0 aperto"}, {K::kNoFreeHandle, "67 Troppi file"},
      {K::kDeviceError, "57 Errore di I/O della periferica"}};
  for (const auto& [kind, shown] : rows) {
    EXPECT_THROW(guarded([kind = kind] { systemCall([&] { platform::raiseSystemError(kind, "C:\\A\\X.DAT"); }); }),
                 ProgramEnded);
    EXPECT_EQ(dialogs.boxes().at(dialogs.boxes().size() - 2).text.rfind("Errore " + std::string(shown) + ": C:\\A\\X.DAT\r\n", 0), 0u)
        << shown;
  }
}

#ifndef _WIN32  // fork
// The process ends with the status of its end: 0 only for the operator's own.
TEST_F(Trail, TheProcessEndsWithTheStatusOfItsEnd) {
  setEndHook(nullptr);  // the program's own hook, which ends the process
  const std::pair<std::function<void()>, int> ends[] = {
      {[] { guarded([] { raiseFailure(err::kDiskFull); }); }, 1}, {[] { trapUnexpected(nullptr); }, 1},
      {[] { endProgram(EndReason::kAtOnce, ExitStatus::kConfiguration); }, 3},
      {[] { endProgram(EndReason::kNormal, ExitStatus::kArchiveNotFound); }, 4}, {[] { endRun(); }, 0}};
  for (const auto& [end, expected] : ends) {
    const pid_t child = ::fork();
    if (child == 0) end();
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == expected) << expected;
  }
}
#endif

}  // namespace
}  // namespace vt
