// The trail names of record reads and writes: recorded once when repeated,
// built only when read, the same as names recorded as text.
#include <gtest/gtest.h>

#include "core/state.h"
#include "core/trail.h"
#include "record_files_fixture.h"
#include "records/files.h"
#include "records/records.h"

namespace vt {
namespace {

class RecordTrail : public testing::RecordFilesTest {};

TEST_F(RecordTrail, ARepeatedNameIsRecordedOnce_WhetherKeptOrWritten) {
  writeTable({{1, {"WKDITTE.DAT", 10}}});
  writeArchive("WKDITTE.DAT", std::string(30, 'A'));
  FAIOPEN(1);
  LEGGIREC(1, 2);
  LEGGIREC(1, 2);
  REGISTRAPROC("LEGGIREC (1-2)");
  SCRIVIREC(1, 2);
  REGISTRAPROC("LEGGIREC (1-3)");
  RecordReader(1).read(3);
  LEGGIREC(1, 3);
  LEGGIREC(1, 1);
  std::vector<std::string> names;
  for (int slot = 1; slot <= S().POSPROC; ++slot) names.push_back(S().ULTIMEPROC[slot]);
  EXPECT_EQ(names, (std::vector<std::string>{"FAIOPEN", "DAMMIFILE$ (1)", "LEGGIREC (1-2)", "SCRIVIREC (1-2)",
                                             "LEGGIREC (1-3)", "LEGGIREC (1-1)"}));
}

}  // namespace
}  // namespace vt
