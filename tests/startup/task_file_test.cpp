// A task file that is there but cannot be read is a failure for the trap,
// never an empty task number.
#include <gtest/gtest.h>

#include "core/failure.h"
#include "core/state.h"
#include "startup/installation.h"
#include "temp_install.h"

namespace vt {
namespace {

TEST(TaskFile, ATaskFileThatIsAFolderIsAFailureForTheTrap) {
  testing::TempFolder folder;
  folder.write("drives/C/TARNIX/TARNIX.INI/inside", "");
  S().NOMEPROGRAMMA = "VTMERV";
  EXPECT_THROW(readTaskNumber(), RuntimeFailure);
}

}  // namespace
}  // namespace vt
