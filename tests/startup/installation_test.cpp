// What a run over the sample installation cannot show: a second copy of the
// program already running, and the registry's numeric values.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "core/state.h"
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
      EXPECT_EQ(ended.reason, EndReason::kAtOnce);
    }
    EXPECT_EQ(S().PERARK, "");
    EXPECT_TRUE(boxes.boxes().empty());
    (void)!::write(release[1], &ok, 1);
    ::waitpid(first, nullptr, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);
  }
}
#endif

TEST(Installation, RegistryNumbersAreReadAsTheirDecimalDigits) {
  testing::TempFolder folder;
  folder.setRegistryNumber("CONTATORE", 1234);
  EXPECT_EQ(LEGGIREGISTRO(platform::kCurrentUser, kSuiteRegistryKey, "CONTATORE"), "1234");
}

}  // namespace
}  // namespace vt
