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
    testing::TempFolder folder;
    testing::ScriptedDialogs boxes;
    testing::ThrowingEndHook end;
    folder.installSample();
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
    EXPECT_TRUE(boxes.boxes().empty());
    (void)!::write(release[1], &ok, 1);
    ::waitpid(first, nullptr, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);
  }
}

// A pipe with no writer, an endless device, a folder or a file longer than
// its format can hold, at the name of a task file, a path file or the
// settings file, ends the run at once and promptly with the configuration
// error naming the file; nothing of it is taken.
TEST(Installation, AConfigurationFileThatIsNoShortRegularFileIsTheConfigurationError) {
  const std::tuple<const char*, void (*)(), std::string> files[] = {  // file, load, the name shown
      {"drives/C/TARNIX/TARNIX.INI", CARICAPERCORSI, "C:\\TARNIX\\TARNIX.INI"},
      {"drives/C/PWELKIN/WKPERARK.WKP", CARICAPERCORSIWKP, "C:\\PWELKIN\\WKPERARK.WKP"},
      {"drives/C/PWELKIN/WKPERPRO.WKP", CARICAPERCORSIWKP, "C:\\PWELKIN\\WKPERPRO.WKP"},
      {"config/VELTRANI/TESSARO.conf", CARICAPERCORSI, "/config/VELTRANI/TESSARO.conf"}};
  const std::function<void(const std::string&)> kinds[] = {
      [](const std::string& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0); },
      [](const std::string& file) { std::filesystem::create_symlink("/dev/zero", file); },
      [](const std::string& file) { std::filesystem::create_directory(file); },
      [](const std::string& file) { std::ofstream(file) << "01" << std::string(platform::kSettingsFileLimit, ' '); }};
  ::alarm(60);  // an open that waits for a writer would hold the test for ever
  for (const auto& [file, load, name] : files) {
    for (const auto& make : kinds) {
      testing::TempFolder folder;
      testing::ScriptedDialogs boxes;
      testing::ThrowingEndHook end;
      folder.installSample();
      std::filesystem::remove(folder.path() + "/" + file);
      make(folder.path() + "/" + file);
      S().NOMEPROGRAMMA = "VTMERV";
      try {
        load();
        ADD_FAILURE() << file << " was taken";
      } catch (const ProgramEnded& ended) {
        EXPECT_EQ(ended.status, ExitStatus::kConfiguration) << file;
      }
      const std::string shown = name.front() == '/' ? folder.path() + name : name;
      EXPECT_EQ(boxes.messageTexts(), std::vector<std::string>{kConfigurationErrorText + (": " + shown)});
    }
  }
  ::alarm(0);
}

// A configuration file that opens but whose read the system refuses, be it
// the first read or the one after the text that would say its end, is never
// taken as a shorter or empty file: a path file or the task file is failure
// 75 naming it; the settings file, an unreadable registry, leaves the paths
// to the path files. So is a task file that the operator's user may not read.
TEST(Installation, AConfigurationFileTheSystemWillNotReadIsNeverTakenAsEmpty) {
  const std::string refused = "Errore 75 Errore di accesso al percorso/file: ";
  const std::tuple<void (*)(), std::uint64_t, std::string> cases[] = {  // load, the read refused, the box
      {CARICAPERCORSIWKP, 1, refused + "C:\\PWELKIN\\WKPERARK.WKP"}, {CARICAPERCORSIWKP, 4, refused + "C:\\PWELKIN\\WKPERPRO.WKP"},
      {CARICAPERCORSIWKP, 6, refused + "C:\\TARNIX\\TARNIX.INI"},   {CARICAPERCORSI, 2, ""},
      {CARICAPERCORSI, 0, refused + "C:\\TARNIX\\TARNIX.INI"}};  // 0: the task file may not be read
  for (const auto& [load, read, box] : cases) {
    SCOPED_TRACE(box + " at read " + std::to_string(read));
    testing::TempFolder folder;
    testing::ScriptedDialogs boxes;
    testing::ThrowingEndHook end;
    folder.installSample();
    S().NOMEPROGRAMMA = "VTMERV";
    ::chmod((folder.path() + "/drives/C/TARNIX/TARNIX.INI").c_str(), read == 0 ? 0 : 0644);
    const pid_t child = ::fork();
    if (child == 0) {
      if (geteuid() == 0 && (setgid(4343) != 0 || setuid(4242) != 0)) ::_exit(90);  // an ordinary user
      platform::fault::refuseCall(platform::fault::Call::kRead, read, EIO);
      try {
        load();
      } catch (const ProgramEnded&) {
      }
      const std::vector<std::string> shown = boxes.messageTexts();
      ::_exit(box.empty() ? (shown.empty() && S().PERARK.empty() ? 0 : 1) : (!shown.empty() && shown[0].rfind(box, 0) == 0 ? 0 : 2));
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);
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
