// File numbers, paths, records and the task semaphore, checked on the files,
// and every failure of the record layer as the program shows it.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

#include "fixture.h"
#include "platform/files.h"
#include "records/records.h"
#include "records/semaphore.h"

namespace vt {
namespace {

using Records = testing::RecordFilesTest;

TEST_F(Records, TemplatesTakeTheContextValuesInTheirPlaceholders) {
  struct Case {
    std::string nameTemplate, drive, company, year, region, expected;
  };
  const Case cases[] = {
      {"D###\\A**DATI.DAT", "", "7", "2005", "", "C:\\ARCHIVI\\D007\\A05DATI.DAT"},
      {"###\\X.DAT", "", "1234", "", "", "C:\\ARCHIVI\\234\\X.DAT"},
      {"T$$X@@Y%%.DAT", "", "", "", "9", "C:\\ARCHIVI\\T3$X09YMI.DAT"},
      {"!:\\TESSARO\\X.DAT", "A", "", "", "", "A:\\TESSARO\\X.DAT"},
      {"!:\\TESSARO\\X.DAT", "B:", "", "", "", "B:\\TESSARO\\X.DAT"},
      {"!:\\TESSARO\\X.DAT", "\\\\SERVER\\DATI", "", "", "", "\\\\SERVER\\DATI\\TESSARO\\X.DAT"},
  };
  for (const Case& c : cases) {
    writeTable({{3, {"A.DAT", 1}}, {9, {c.nameTemplate, 10}}});
    S().DRIVEOPEN = c.drive, S().DITTAOPEN = c.company, S().ANNOOPEN = c.year, S().REGIONEOPEN = c.region;
    S().PROVINCIAOPEN = "MI", S().NUMEROTASK = "3";
    std::int16_t relative = -1;
    EXPECT_EQ(DAMMIFILE(9, relative), c.expected);
    EXPECT_EQ(S().LUNGBASE, 10);
  }
}

TEST_F(Records, RecordRLiesAtRMinusOneTimesTheLength) {
  writeTable({{1, {"WKDITTE.DAT", 10}}, {40, {"###\\WKDATI.DAT", 4}}});
  writeArchive("WKDITTE.DAT", std::string(10, '1') + std::string(10, '2') + "333");
  EXPECT_EQ(FAIOPEN(1), 10);
  EXPECT_EQ(LEGGIREC(1, 2), 0);
  EXPECT_EQ(S().BUFFERREC[1], std::string(10, '2'));
  EXPECT_EQ(LEGGIREC(1, 3), 1);  // cut short: not read whole
  SCRIVIREC(1, 1, "ABCDEFGHIJ");
  S().BUFFERREC[1] = std::string(10, 'Z');
  SCRIVIREC(1, 4);
  EXPECT_EQ(archive("WKDITTE.DAT"), "ABCDEFGHIJ" + std::string(10, '2') + "333" + std::string(7, '\0') + std::string(10, 'Z'));
  // Emptying a company file keeps the company for the caller.
  writeArchive("007/WKDATI.DAT", "12345678");
  S().DITTAOPEN = "7";
  AZZERAFILE(40);
  SCRIVIREC(40, 1, "WXYZ");
  EXPECT_EQ(archive("007/WKDATI.DAT"), "WXYZ");
  EXPECT_EQ(S().DITTAOPEN, "7");
}

// Every failure of the layer reaches the trap with its code, and a missing
// context value shows its message; either ends the program, and nothing is
// written or created.
TEST_F(Records, FailuresEndTheProgramWithTheirCodesOrMessages) {
  std::string table = testing::baseTable({{1, {"WKDITTE.DAT", 10}}, {3, {"C.DAT", 0}}, {4, {"D.DAT", -5}},
                                          {6, {"MANCA\\F.DAT", 10}}, {12, {"###\\DIP.DAT", 10}}, {13, {"AN**.DAT", 10}},
                                          {14, {"RG@@.DAT", 10}}, {15, {"PR%%.DAT", 10}}});
  table.replace(6 * 79, 79, testing::baseRow({"E.DAT", 40}).replace(32, 5, "  ABC"));
  const std::string records = std::string(10, '1') + std::string(10, '2');
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"Errore 52 ", [] { FAIOPEN(2); }},       {"Errore 52 ", [] { FAIOPEN(16); }},      {"Errore 52 ", [] { FAIOPEN(601); }},
      {"Errore 52 ", [] { FAIOPEN(1.5); }},     {"Errore 59 ", [] { FAIOPEN(3); }},       {"Errore 59 ", [] { FAIOPEN(4); }},
      {"Errore 59 ", [] { FAIOPEN(7); }},       {"Errore 76 ", [] { FAIOPEN(6); }},       {"Errore 63 ", [] { LEGGIREC(1, 0); }},
      {"Errore 63 ", [] { SCRIVIREC(1, -1); }}, {"Errore 52 ", [] { LEGGIREC(601, 1); }}, {"Errore 59 ", [] { SCRIVIREC(1, 1, "corto"); }},
      {"Errore 59 ", [] { S().BUFFERREC[1] = "corto"; SCRIVIREC(1, 1); }},
      {"Errore 52 ", [] { CHIUDIFILE(1); LEGGIREC(1, 1); }},
      {"Errore 53 ", [] { S().PERARK = "C:\\VUOTA"; FAIOPEN(1); }},
      {"Errore 76 ", [] { S().PERARK = "C:\\NONCE"; FAIOPEN(1); }},
      {"Errore 76 ", [] { S().PERARK = "C:\\NONCE"; APRISEMA(); }},
      {"ERRORE OPEN FILE - MANCA DITTAOPEN 12", [] { S().DITTAOPEN = "5"; FAIOPEN(12); FAIOPEN(12); }},
      {"ERRORE OPEN - MANCA ANNO - 13", [] { FAIOPEN(13); }},
      {"ERRORE OPEN - MANCA REGIONE - 14", [] { FAIOPEN(14); }},
      {"ERRORE OPEN - MANCA PROVINCIA - 15", [] { S().PROVINCIAOPEN = "M"; FAIOPEN(15); }},
  };
  for (const char* made : {"drives/C/VUOTA/X", "drives/C/ARCHIVI/005/X"}) folder.write(made, "");
  for (const auto& [text, action] : cases) {
    S().PERARK = "C:\\ARCHIVI";
    writeArchive("WKBASE.DAT", table);
    writeArchive("WKDITTE.DAT", records);
    FAIOPEN(1);
    const std::size_t shown = dialogs.boxes().size();
    EXPECT_THROW(action(), ProgramEnded) << text;
    EXPECT_EQ(box(shown).rfind(text, 0), 0u) << box(shown);
    EXPECT_EQ(archive("WKDITTE.DAT"), records);
  }
  for (const char* name : {"C.DAT", "D.DAT", "E.DAT", "MANCA"}) EXPECT_FALSE(folder.exists(kArchives + std::string(name)));
}

// A write the system refuses part way (past the file-size limit, as a full
// disk would) is failure 61 and leaves the file as it was.
TEST_F(Records, AWriteRefusedPartWayIsFailure61_AndLeavesTheFileAsItWas) {
  writeTable({{1, {"WKDITTE.DAT", 100}}});
  writeArchive("WKDITTE.DAT", std::string(100, 'A'));
  FAIOPEN(1);
  pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{150, 150};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_THROW(SCRIVIREC(1, 2, std::string(100, 'B')), ProgramEnded);
    ::_exit(box(0).rfind("Errore 61 ", 0) == 0 ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the refusal must be failure 61";
  EXPECT_EQ(archive("WKDITTE.DAT"), std::string(100, 'A'));
}

// While another process holds the semaphore, APRISEMA waits without spinning
// the processor and takes it soon after the holder lets it go.
TEST_F(Records, TheSemaphoreWaitsWhileAnotherProcessHoldsIt) {
  writeTable({});
  APRISEMA();
  int taken[2];
  ASSERT_EQ(::pipe(taken), 0);
  pid_t child = ::fork();
  if (child == 0) {
    platform::closeAllHandles();  // the inherited descriptor must not hold the lock
    APRISEMA();
    (void)!::write(taken[1], "T", 1);
    ::_exit(0);
  }
  ::close(taken[1]);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  fd_set set;
  FD_ZERO(&set);
  FD_SET(taken[0], &set);
  timeval none{0, 0};
  EXPECT_EQ(::select(taken[0] + 1, &set, nullptr, nullptr, &none), 0) << "taken while held";
  const auto released = std::chrono::steady_clock::now();
  CHIUDISEMA();
  char c = 0;
  EXPECT_EQ(::read(taken[0], &c, 1), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - released, std::chrono::seconds(1));
  rusage usage{};
  ASSERT_EQ(::wait4(child, nullptr, 0, &usage), child);
  EXPECT_LT(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec, 1);
  EXPECT_LT(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec, 200000) << "waiting spun the processor";
}

}  // namespace
}  // namespace vt
