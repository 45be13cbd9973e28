// Where the program finds the suite: registry, path files, task file, and the
// rewrite of the task file at the normal end.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "core/state.h"
#include "platform/files.h"
#include "platform/instance.h"
#include "scripted_dialogs.h"
#include "startup/installation.h"
#include "suite_folder.h"

namespace vt {
namespace {

using testing::ScriptedDialogs;
using testing::SuiteFolder;
using testing::ThrowingEndHook;

const std::string kConfigurationError =
    "ERRORE DI CONFIGURAZIONE! CONTROLLARE I PERCORSI DI Tessaro CON IL PROGRAMMA VTPERCORSO";

// Runs `f`; the reason the program ended, or nothing when it went on.
template <class F>
std::optional<EndReason> endOf(F&& f) {
  try {
    f();
  } catch (const ProgramEnded& ended) {
    return ended.reason;
  }
  return std::nullopt;
}

// The start-up's loading of the paths: registry first, path files when the
// archives directory is still empty.
void loadPaths() {
  CARICAPERCORSI();
  if (S().PERARK.empty()) CARICAPERCORSIWKP();
}

TEST(Configuration, RegistryDirectoriesThatExistWin_AndThePathFilesAreNotRead) {
  SuiteFolder suite;
  ScriptedDialogs boxes;
  ThrowingEndHook end;
  suite.makeDirectory("REG/ARK");
  suite.makeDirectory("REG/PRO");
  suite.writeRegistry("C:\\REG\\ARK", "C:\\REG\\PRO");
  suite.writeTaskFile("07 TASK DI PROVA\r\n");
  // No path files at all: reading them would be the configuration error.
  EXPECT_EQ(endOf(loadPaths), std::nullopt);
  EXPECT_EQ(S().PERARK, "C:\\REG\\ARK");
  EXPECT_EQ(S().PERPRO, "C:\\REG\\PRO");
  EXPECT_EQ(S().NUMEROTASK, "07");
  EXPECT_TRUE(boxes.boxes().empty());
}

TEST(Configuration, ARegistryValueThatNamesNothing_LeavesBothPathsToThePathFiles) {
  struct Case {
    const char* what;
    std::string archives;
    std::string programs;
  };
  const Case cases[] = {
      {"programs directory missing", "C:\\REG\\ARK", "C:\\REG\\NONCE"},
      {"archives directory missing", "C:\\REG\\NONCE", "C:\\REG\\PRO"},
      {"programs value absent", "C:\\REG\\ARK", ""},
      {"no settings at all", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SuiteFolder suite;
    ScriptedDialogs boxes;
    ThrowingEndHook end;
    suite.makeDirectory("REG/ARK");
    suite.makeDirectory("REG/PRO");
    if (!c.archives.empty() || !c.programs.empty()) suite.writeRegistry(c.archives, c.programs);
    suite.writeArchivesPathFile("  C:\\PWELKIN\\ARCHIVI  \r\nC:\\SECONDA\\RIGA\r\n");
    suite.writeProgramsPathFile("C:\\PWELKIN\\PROGRAMMI\n");
    suite.writeTaskFile("12\r\n");

    CARICAPERCORSI();
    EXPECT_EQ(S().PERARK, "");
    EXPECT_EQ(S().PERPRO, "");
    EXPECT_EQ(S().NUMEROTASK, "");
    EXPECT_EQ(endOf(CARICAPERCORSIWKP), std::nullopt);
    EXPECT_EQ(S().PERARK, "C:\\PWELKIN\\ARCHIVI");
    EXPECT_EQ(S().PERPRO, "C:\\PWELKIN\\PROGRAMMI");
    EXPECT_EQ(S().NUMEROTASK, "12");
    EXPECT_TRUE(boxes.boxes().empty());
  }
}

TEST(Configuration, AMissingOrBlankPathFileIsTheConfigurationError_AndEndsAtOnce) {
  struct Case {
    const char* what;
    std::optional<std::string> archives;
    std::optional<std::string> programs;
  };
  const Case cases[] = {
      {"archives path file missing", std::nullopt, "C:\\PRO\r\n"},
      {"programs path file missing", "C:\\ARK\r\n", std::nullopt},
      {"archives first line blank, second never read", "    \r\nC:\\ARK\r\n", "C:\\PRO\r\n"},
      {"programs path file empty", "C:\\ARK\r\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SuiteFolder suite;
    ScriptedDialogs boxes;
    ThrowingEndHook end;
    if (c.archives) suite.writeArchivesPathFile(*c.archives);
    if (c.programs) suite.writeProgramsPathFile(*c.programs);
    suite.writeTaskFile("07\r\n");
    EXPECT_EQ(endOf(CARICAPERCORSIWKP), EndReason::kAtOnce);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, kConfigurationError);
    EXPECT_EQ(boxes.boxes()[0].title, "Tessaro");
    EXPECT_EQ(boxes.boxes()[0].icon, Icon::kCritical);
    EXPECT_EQ(boxes.boxes()[0].buttons, Buttons::kOk);
    EXPECT_EQ(suite.taskFileContent(), "07\r\n") << "an end at once leaves the task file alone";
  }
}

TEST(TaskNumber, IsTheFirstTwoCharactersOfTheFirstLine_BlanksTrimmed) {
  struct Case {
    std::optional<std::string> content;
    std::string number;
  };
  const Case cases[] = {
      {"07 TASK PAGHE\r\nseconda\r\n", "07"},
      {" 3ALTRO\r\n", "3"},
      {"5\n", "5"},
      {"\r\n99\r\n", ""},
      {std::nullopt, ""},  // no task file: the program runs without a task number
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content.value_or("<no task file>"));
    SuiteFolder suite;
    S().NUMEROTASK = "xx";
    if (c.content) suite.writeTaskFile(*c.content);
    readTaskNumber();
    EXPECT_EQ(S().NUMEROTASK, c.number);
  }
}

TEST(TaskNumber, TheTaskFileFollowsTheProgramName) {
  SuiteFolder suite;
  S().NOMEPROGRAMMA = "VTMERV";
  EXPECT_EQ(taskFile(), "C:\\TARNIX\\TARNIX.INI");
  S().NOMEPROGRAMMA = "vtaltro";
  EXPECT_EQ(taskFile(), "C:\\TARNIX\\TARNIX.INI");
  S().NOMEPROGRAMMA = "PAGHE";
  EXPECT_EQ(taskFile(), "C:\\PWELKIN\\WKCOMUNE.WKP");
  suite.write(suite.onDriveC("PWELKIN/WKCOMUNE.WKP"), "44\r\n");
  readTaskNumber();
  EXPECT_EQ(S().NUMEROTASK, "44");
}

TEST(TaskFile, TheNormalEndRewritesItAsOneHundredCharacterLine_OnlyWhenItExists) {
  {
    SuiteFolder suite;
    ThrowingEndHook end;
    suite.writeTaskFile("07 VECCHIO CONTENUTO DEL TASK MANAGER\r\nSECONDA RIGA\r\n");
    S().NUMEROTASK = "07";
    std::int16_t open = platform::freeHandle();
    platform::openFile(open, "C:\\qualsiasi.dat", platform::OpenMode::kSharedReadWrite);
    S().NUMEROFILE[2] = open;
    EXPECT_EQ(endOf(FINETASK), EndReason::kNormal);
    EXPECT_EQ(suite.taskFileContent(), "07" + std::string(98, ' ') + "\r\n");
    EXPECT_FALSE(suite.exists(suite.onDriveC("TARNIX/TARNIX.INI.new")));
    EXPECT_EQ(S().NUMEROFILE[2], 0) << "every file is closed";
    EXPECT_FALSE(platform::isOpen(open));
  }
  {
    SuiteFolder suite;
    ThrowingEndHook end;
    S().NUMEROTASK = "3";
    suite.writeTaskFile("3\n");
    EXPECT_EQ(endOf(FINETASK), EndReason::kNormal);
    EXPECT_EQ(suite.taskFileContent(), "3" + std::string(99, ' ') + "\r\n");
  }
  {
    SuiteFolder suite;
    ThrowingEndHook end;
    S().NUMEROTASK = "";
    EXPECT_EQ(endOf(FINETASK), EndReason::kNormal);
    EXPECT_FALSE(suite.taskFileExists()) << "a task file that was not there is not made";
  }
}

TEST(RegistryRead, TextUpToItsFirstNul_NumbersInDecimal_AbsenceAsEmpty) {
  SuiteFolder suite;
  suite.setRegistryText("PERCORSOARCHIVI", "/srv/tessaro/archivi");
  suite.setRegistryNumber("CONTATORE", 1234);
  suite.setRegistryText("VUOTO", "");
  const platform::RegistryKey user = platform::kCurrentUser;
  EXPECT_EQ(LEGGIREGISTRO(user, kSuiteRegistryKey, "PERCORSOARCHIVI"), "/srv/tessaro/archivi");
  EXPECT_EQ(LEGGIREGISTRO(user, kSuiteRegistryKey, "CONTATORE"), "1234");
  EXPECT_EQ(LEGGIREGISTRO(user, kSuiteRegistryKey, "VUOTO"), "");
  EXPECT_EQ(LEGGIREGISTRO(user, kSuiteRegistryKey, "ASSENTE"), "");
  EXPECT_EQ(LEGGIREGISTRO(user, "SOFTWARE\\VELTRANI\\ALTRO", "PERCORSOARCHIVI"), "");
  EXPECT_EQ(LEGGIREGISTRO(0x80000002u, kSuiteRegistryKey, "PERCORSOARCHIVI"), "");

  platform::RegistryKey key = 0;
  ASSERT_TRUE(platform::registryOpenKey(user, kSuiteRegistryKey, key));
  EXPECT_EQ(LEGGIVALORE(key, "percorsoarchivi"), "/srv/tessaro/archivi");
  EXPECT_EQ(LEGGIVALORE(key, "CONTATORE"), "1234");
  platform::registryCloseKey(key);
  EXPECT_EQ(LEGGIVALORE(key, "PERCORSOARCHIVI"), "") << "a closed key";
}

TEST(FileTest, IsTrueOnlyForAFileThatOpensForReading_AndNeverFails) {
  SuiteFolder suite;
  ScriptedDialogs boxes;
  suite.write(suite.onDriveC("DATI/PRESENTE.DAT"), "x");
  suite.write(suite.onDriveC("DATI/VUOTO.DAT"), "");
  EXPECT_TRUE(ESISTEFILE("C:\\DATI\\PRESENTE.DAT"));
  EXPECT_TRUE(ESISTEFILE("c:\\dati\\presente.dat"));
  EXPECT_TRUE(ESISTEFILE("C:\\DATI\\VUOTO.DAT"));
  EXPECT_FALSE(ESISTEFILE("C:\\DATI\\ASSENTE.DAT"));
  EXPECT_FALSE(ESISTEFILE("C:\\DATI"));
  EXPECT_FALSE(ESISTEFILE("C:\\MANCA\\X.DAT"));
  EXPECT_FALSE(ESISTEFILE(""));
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_EQ(platform::freeHandle(), 1) << "nothing stays open";
}

#ifndef _WIN32  // fork; on Windows the lock is the same no-sharing open as the semaphore's
// A running copy of the program in a child process: it takes the lock the
// way the program does, tells the parent, and runs until the parent is done.
class RunningCopy {
 public:
  RunningCopy() {
    if (::pipe(ready_) != 0 || ::pipe(release_) != 0) std::abort();
    pid_ = ::fork();
    if (pid_ == 0) {
      platform::releaseSoleInstance();
      char ok = platform::claimSoleInstance("VTMERV") ? 1 : 0;
      (void)!::write(ready_[1], &ok, 1);
      (void)!::read(release_[0], &ok, 1);
      ::_exit(0);
    }
    char ok = 0;
    if (::read(ready_[0], &ok, 1) != 1 || ok != 1) std::abort();
  }
  ~RunningCopy() {
    char c = 0;
    (void)!::write(release_[1], &c, 1);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    for (int fd : {ready_[0], ready_[1], release_[0], release_[1]}) ::close(fd);
  }

 private:
  int ready_[2] = {-1, -1};
  int release_[2] = {-1, -1};
  pid_t pid_ = -1;
};

TEST(SecondCopy, EndsAtOnceAndSilently_BeforeReadingAnyPath) {
  for (bool fromPathFiles : {false, true}) {
    SCOPED_TRACE(fromPathFiles ? "path files" : "registry");
    SuiteFolder suite;
    ScriptedDialogs boxes;
    ThrowingEndHook end;
    suite.makeDirectory("ARK");
    suite.makeDirectory("PRO");
    suite.writeRegistry("C:\\ARK", "C:\\PRO");
    suite.writeArchivesPathFile("C:\\ARK\r\n");
    suite.writeProgramsPathFile("C:\\PRO\r\n");
    suite.writeTaskFile("07\r\n");
    RunningCopy first;
    EXPECT_EQ(endOf(fromPathFiles ? CARICAPERCORSIWKP : CARICAPERCORSI), EndReason::kAtOnce);
    EXPECT_EQ(S().PERARK, "");
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(suite.taskFileContent(), "07\r\n");
  }
}
#endif

}  // namespace
}  // namespace vt
