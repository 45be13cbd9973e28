// What the system gives: the suite's Windows paths on this system, the check
// of a typed date, the lock against a second running copy, and the registry's
// stand-in.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/dates.h"
#include "platform/files.h"
#include "platform/instance.h"
#include "platform/registry.h"
#include "temp_install.h"

namespace vt::platform {
namespace {

using testing::TempFolder;

TEST(NativePath, DrivesMapUnderTheRoot_BackslashesBecomeSlashes_AndCaseIsLookedUp) {
  TempFolder folder;
  folder.write("drives/C/PWelkin/Archivi/wkbase.dat", "x");
  const std::string root = folder.path() + "/drives";
  EXPECT_EQ(nativePath("d:\\DATI\\X.DAT"), root + "/D/DATI/X.DAT");
  EXPECT_EQ(nativePath("/srv/tessaro\\WKBASE.DAT"), "/srv/tessaro/WKBASE.DAT");
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
  EXPECT_TRUE(isDate(systemDateText()));
}

TEST(SoleInstance, AnotherProcessCannotClaimTheProgramWhileOneHoldsIt) {
  TempFolder folder;
  ::setenv("XDG_RUNTIME_DIR", folder.path().c_str(), 1);
  int ready[2], release[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(release), 0);
  pid_t child = ::fork();
  if (child == 0) {
    char claimed = claimSoleInstance("VTMERV") ? 1 : 0;
    (void)!::write(ready[1], &claimed, 1);
    (void)!::read(release[0], &claimed, 1);
    ::_exit(0);
  }
  char claimed = 0;
  ASSERT_EQ(::read(ready[0], &claimed, 1), 1);
  EXPECT_EQ(claimed, 1);
  EXPECT_FALSE(claimSoleInstance("VTMERV"));
  EXPECT_TRUE(claimSoleInstance("VTALTRO"));
  (void)!::write(release[1], &claimed, 1);
  ::waitpid(child, nullptr, 0);
  EXPECT_TRUE(claimSoleInstance("VTMERV"));
  releaseSoleInstance();
  ::unsetenv("XDG_RUNTIME_DIR");
}

TEST(RegistryStandIn, TheGeneralSectionHoldsTheKeysValues) {
  TempFolder folder;
  ::setenv("XDG_CONFIG_HOME", (folder.path() + "/config").c_str(), 1);
  folder.write("config/VELTRANI/TESSARO.conf",
               "[Altro]\r\nPERCORSOARCHIVI=/non/questo\r\n[General]\r\n  PercorsoArchivi =  C:\\PWELKIN\\ARCHIVI  \r\n"
               "# commento\nPERCORSOPROGRAMMI=\" /con spazi/ \"\nCONTATORE=dword:0000001f\nFALSO=dword:12\n");
  RegistryKey key = 0;
  ASSERT_TRUE(registryOpenKey(kCurrentUser, "SOFTWARE\\VELTRANI\\TESSARO", key));
  auto text = [&](const char* name) {
    std::uint32_t type = 0, size = 0;
    if (!registryQueryInfo(key, name, type, size) || type != kRegText) return std::string("<none>");
    std::string buffer(size, '\0');
    return registryQueryText(key, name, buffer) ? buffer.substr(0, buffer.find('\0')) : "<unreadable>";
  };
  EXPECT_EQ(text("PERCORSOARCHIVI"), "C:\\PWELKIN\\ARCHIVI");
  EXPECT_EQ(text("percorsoprogrammi"), " /con spazi/ ");
  EXPECT_EQ(text("FALSO"), "dword:12");
  EXPECT_EQ(text("CONTATORE"), "<none>");
  std::uint32_t number = 0;
  EXPECT_TRUE(registryQueryNumber(key, "CONTATORE", number));
  EXPECT_EQ(number, 31u);
  registryCloseKey(key);
  EXPECT_FALSE(registryOpenKey(kCurrentUser, "SOFTWARE\\VELTRANI\\ALTRO", key));
  ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace vt::platform
