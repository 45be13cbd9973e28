// The path of a file number from a file table "WKBASE.DAT" of fuzzed rows and
// fuzzed context values: no crash, a path or the program's own end (a missing
// context value, a failure for the trap), and the record length learnt is the
// whole number the row holds. Only paths are resolved: nothing is opened for
// writing, so a fuzzed absolute template cannot touch a file.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/failure.h"
#include "fuzz_support.h"
#include "records/files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vt;
  const std::string& folder = fuzz::freshRun();
  fuzz::Input in(data, size);
  State& s = S();
  const double number = in.byte() % 8 + 1;
  s.DITTAOPEN = in.take(in.byte() % 6);
  s.ANNOOPEN = in.take(in.byte() % 6);
  s.REGIONEOPEN = in.take(in.byte() % 4);
  s.PROVINCIAOPEN = in.take(in.byte() % 4);
  s.DRIVEOPEN = in.take(in.byte() % 4);
  s.NUMEROTASK = in.take(2);
  fuzz::writeFile(folder + "/WKBASE.DAT", in.rest());
  try {
    std::int16_t relative = -1;
    const std::string path = DAMMIFILE(number, relative);
    if (path.empty() || !std::isfinite(s.LUNGBASE) || s.LUNGBASE != std::floor(s.LUNGBASE)) std::abort();
    VERBASE(number);
  } catch (const ProgramEnded&) {
  } catch (const RuntimeFailure&) {
  }
  return 0;
}
