// What the system gives: the suite's Windows paths on this system, the check
// of a typed date, the lock against a second running copy, and the registry's
// stand-in.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include "platform/dates.h"
#include "platform/files.h"
#include "platform/instance.h"
#include "platform/registry.h"
#include "temp_install.h"

namespace vt::platform {
namespace {

TEST(NativePath, DrivesMapUnderTheRoot_BackslashesBecomeSlashes_AndCaseIsLookedUp) {
  testing::TempFolder folder;
  folder.write("drives/C/PWelkin/Archivi/wkbase.dat", "x");
  const std::string root = folder.path() + "/drives";
  EXPECT_EQ(nativePath("d:\\DATI\\X.DAT"), root + "/D/DATI/X.DAT");
  EXPECT_EQ(nativePath("C:\\PWELKIN\\ARCHIVI\\WKBASE.DAT"), root + "/C/PWelkin/Archivi/wkbase.dat");
  EXPECT_EQ(nativePath("c:\\pwelkin\\archivi\\NUOVO.DAT"), root + "/C/PWelkin/Archivi/NUOVO.DAT");
}

TEST(IsDate, AcceptsOnlyDaysThatExist_WrittenDayMonthYear) {
  for (const char* date : {"29/02/2000", "29/02/2004", "30/04/2001", "31/12/9999", "01/01/0001", "1/2/2000", "29-02-2000",
                           "31.12.1999", "  29/02/2000 "}) {
    EXPECT_TRUE(isDate(date)) << date;
  }
  for (const char* date : {"31/04/2001", "29/02/1900", "29/02/2001", "32/01/2001", "15/13/2001", "00/01/2001",
                           "01/00/2001", "01/01/0000", "29/02-2000", "29 02 2000", "29/02", "29/02/00", "29/02/20000",
                           "029/02/2000", "29022000", "29/02/2000X", "//2000", ""}) {
    EXPECT_FALSE(isDate(date)) << date;
  }
}

TEST(SoleInstance, AnotherProcessCannotClaimTheProgramWhileOneHoldsIt) {
  testing::TempFolder folder;
  ::setenv("XDG_RUNTIME_DIR", folder.path().c_str(), 1);
  int held[2];
  ASSERT_EQ(::pipe(held), 0);
  pid_t child = ::fork();
  if (child == 0) {
    (void)!::write(held[1], claimSoleInstance("VTMERV") ? "1" : "0", 1);
    ::pause();
  }
  char claimed = 0;
  ASSERT_EQ(::read(held[0], &claimed, 1), 1);
  EXPECT_EQ(claimed, '1');
  EXPECT_FALSE(claimSoleInstance("VTMERV"));
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_TRUE(claimSoleInstance("VTMERV")) << "the lock goes with the process that held it";
  releaseSoleInstance();
}

TEST(RegistryStandIn, TheGeneralSectionHoldsTheKeysValues) {
  testing::TempFolder folder;
  ::setenv("XDG_CONFIG_HOME", (folder.path() + "/config").c_str(), 1);
  folder.write("config/VELTRANI/TESSARO.conf",
               "[Altro]\r\nPERCORSOARCHIVI=/non/questo\r\n[General]\r\n  PercorsoArchivi =  C:\\PWELKIN\\ARCHIVI  \r\n"
               "# commento\nPERCORSOPROGRAMMI=\" /con spazi/ \"\nCONTATORE=dword:0000001f\nFALSO=dword:12\n");
  RegistryKey key = 0;
  ASSERT_TRUE(registryOpenKey(kCurrentUser, "SOFTWARE\\VELTRANI\\TESSARO", key));
  auto text = [&](const char* name) {
    std::uint32_t type = 0, size = 0;
    std::string buffer(registryQueryInfo(key, name, type, size) && type == kRegText ? size : 0, '\0');
    return registryQueryText(key, name, buffer) ? buffer.substr(0, buffer.find('\0')) : "<none>";
  };
  EXPECT_EQ(text("PERCORSOARCHIVI"), "C:\\PWELKIN\\ARCHIVI");
  EXPECT_EQ(text("percorsoprogrammi"), " /con spazi/ ");
  EXPECT_EQ(text("FALSO") + text("CONTATORE"), "dword:12<none>");  // not eight digits: text
  std::uint32_t number = 0;
  EXPECT_TRUE(registryQueryNumber(key, "CONTATORE", number) && number == 31u);
  registryCloseKey(key);
}

}  // namespace
}  // namespace vt::platform
