// What a run over the sample installation cannot show: a second copy of the
// program already running, configuration files that are no short regular
// files, and the registry's numeric values and texts.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <functional>

#include "core/state.h"
#include "platform/fault_injection.h"
#include "platform/instance.h"
#include "scripted_dialogs.h"
#include "startup/installation.h"
#include "temp_install.h"

namespace vt {
namespace {

#ifndef _WIN32  // fork: the copy already running is a child sharing the test's set-up
TEST(Installation, ASecondCopyEndsAtOnceAndSilently_BeforeReadingAnyPath) {
  for (void (*load)() : {CARICAPERCORSI, CARICAPERCORSIWKP}) {
    testing::SampleRun run;
    int ready[2], release[2];
    ASSERT_TRUE(::pipe(ready) == 0 && ::pipe(release) == 0);
    const pid_t first = ::fork();
    if (first == 0) {  // the copy already running holds the lock until told
      char ok = platform::claimSoleInstance("VTMERV") ? 1 : 0;
      (void)!::write(ready[1], &ok, 1);
      (void)!::read(release[0], &ok, 1);
      ::_exit(0);
    }
    char ok = 0;
    ASSERT_TRUE(::read(ready[0], &ok, 1) == 1 && ok == 1);
    S().NOMEPROGRAMMA = "VTMERV";
    try {
      load();
      ADD_FAILURE() << "the second copy went on";
    } catch (const ProgramEnded& ended) {
      EXPECT_TRUE(ended.reason == EndReason::kAtOnce && ended.status == ExitStatus::kSecondCopy);
    }
    EXPECT_EQ(S().PERARK, "");
    EXPECT_TRUE(run.boxes.boxes().empty());
    (void)!::write(release[1], &ok, 1);
    ::waitpid(first, nullptr, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);
  }
}

// A configuration file (a task file, a path file, the settings file) is
// taken only whole: a pipe with no writer, an endless device, a folder or a
// file longer than its format can hold at its name ends the run at once and
// promptly with the configuration error naming the file. One whose read the
// system refuses, be it the first read or the one after the text that would
// say its end, or that the operator's user may not read, is never taken as a
// shorter or empty file: a path file or the task file is failure 75 naming
// it; the settings file, an unreadable registry, leaves the paths to the
// path files. Each case runs as an ordinary user.
TEST(Installation, AConfigurationFileIsTakenOnlyWhole) {
  const std::tuple<const char*, void (*)(), std::string, std::uint64_t> files[] = {  // file, load, its name, its first read
      {"drives/C/TARNIX/TARNIX.INI", CARICAPERCORSIWKP, "C:\\TARNIX\\TARNIX.INI", 5},
      {"drives/C/PWELKIN/WKPERARK.WKP", CARICAPERCORSIWKP, "C:\\PWELKIN\\WKPERARK.WKP", 1},
      {"drives/C/PWELKIN/WKPERPRO.WKP", CARICAPERCORSIWKP, "C:\\PWELKIN\\WKPERPRO.WKP", 3},
      {"config/VELTRANI/TESSARO.conf", CARICAPERCORSI, "/config/VELTRANI/TESSARO.conf", 1}};
  const std::function<void(const std::string&)> kinds[] = {
      [](const std::string& file) { ::mkfifo(file.c_str(), 0644); },
      [](const std::string& file) { std::filesystem::create_symlink("/dev/zero", file); },
      [](const std::string& file) { std::filesystem::create_directory(file); },
      [](const std::string& file) { std::ofstream(file) << "01" << std::string(platform::kSettingsFileLimit, ' '); },
      {},  // the first read refused
      {},  // the read after the text refused
      [](const std::string& file) { std::ofstream(file) << "01\r\n", ::chmod(file.c_str(), 0); }};
  for (const auto& [file, load, name, firstRead] : files) {
    for (std::size_t kind = 0; kind < std::size(kinds); ++kind) {
      testing::SampleRun run;
      const testing::TempFolder& folder = run.folder;
      S().NOMEPROGRAMMA = "VTMERV";
      if (kinds[kind]) std::filesystem::remove(folder.path() + "/" + file), kinds[kind](folder.path() + "/" + file);
      const bool refused = kind < 4, settings = name.front() == '/';
      const std::string expected = refused ? kConfigurationErrorText + (": " + (settings ? folder.path() + name : name))
                                   : settings ? "" : "Errore 75 Errore di accesso al percorso/file: " + name;
      const pid_t child = ::fork();
      if (child == 0) {
        if (geteuid() == 0 && (setgid(4343) != 0 || setuid(4242) != 0)) ::_exit(90);  // an ordinary user
        if (kind == 4 || kind == 5) platform::fault::refuseCall(platform::fault::Call::kRead, firstRead + kind - 4, EIO);
        ::alarm(10);  // an open that waits for a writer would hold the test for ever
        try {
          load();
        } catch (const ProgramEnded& ended) {
          if ((ended.status == ExitStatus::kConfiguration) != refused) ::_exit(3);
        }
        const std::vector<std::string> shown = run.boxes.messageTexts();
        ::_exit(expected.empty() ? (shown.empty() && S().PERARK.empty() ? 0 : 1)
                                 : (!shown.empty() && shown[0].rfind(expected, 0) == 0 ? 0 : 2));
      }
      int status = -1;
      ::waitpid(child, &status, 0);
      EXPECT_EQ(status, 0) << file << ", case " << kind;
    }
  }
}
#endif

TEST(Installation, RegistryNumbersAreReadAsTheirDecimalDigits) {
  testing::TempFolder folder;
  folder.setRegistryNumber("CONTATORE", 1234);
  EXPECT_EQ(LEGGIREGISTRO(platform::kCurrentUser, kSuiteRegistryKey, "CONTATORE"), "1234");
}

#ifdef _WIN32
// Texts come back in Windows-1252 (the Windows program reads them wide); one
// that Windows-1252 cannot hold reads as absent.
TEST(Installation, RegistryTextsAreReadInWindows1252) {
  testing::TempFolder folder;
  folder.setRegistryText("PERCORSOARCHIVI", "P:\\ARCHIV\xCC \xC8\xC0 \x80");
  EXPECT_EQ(LEGGIREGISTRO(platform::kCurrentUser, kSuiteRegistryKey, "PERCORSOARCHIVI"), "P:\\ARCHIV\xCC \xC8\xC0 \x80");
  RegSetKeyValueW(HKEY_CURRENT_USER, L"SOFTWARE\\VELTRANI\\TESSARO", L"PERCORSOPROGRAMMI", REG_SZ, L"P:\\\x0410",
                  10);
  EXPECT_EQ(LEGGIREGISTRO(platform::kCurrentUser, kSuiteRegistryKey, "PERCORSOPROGRAMMI"), "");
}
#endif

}  // namespace
}  // namespace vt
