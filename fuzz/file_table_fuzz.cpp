// A file number opened from a file table "WKBASE.DAT" of fuzzed rows and
// fuzzed context values: no crash; the path resolves, or the program ends its
// own way (a missing context value, a failure for the trap); and an open that
// succeeds leaves a whole record length of at least 1 with a record buffer of
// that many characters. Only a path inside the scratch folder is opened (an
// open creates the file), never one a fuzzed absolute template makes.
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
  const int n = static_cast<int>(number);
  s.DITTAOPEN = in.take(in.byte() % 6);
  s.ANNOOPEN = in.take(in.byte() % 6);
  s.REGIONEOPEN = in.take(in.byte() % 4);
  s.PROVINCIAOPEN = in.take(in.byte() % 4);
  s.DRIVEOPEN = in.take(in.byte() % 4);
  s.NUMEROTASK = in.take(2);
  fuzz::writeFile(folder + "/WKBASE.DAT", in.rest());
  try {
    const std::string context[] = {s.DITTAOPEN, s.ANNOOPEN, s.REGIONEOPEN, s.PROVINCIAOPEN, s.DRIVEOPEN};
    std::int16_t relative = -1;
    const std::string path = DAMMIFILE(number, relative);
    if (path.empty()) std::abort();
    if (relative == 0 || path.find("..") != std::string::npos) return 0;
    s.DITTAOPEN = context[0];
    s.ANNOOPEN = context[1];
    s.REGIONEOPEN = context[2];
    s.PROVINCIAOPEN = context[3];
    s.DRIVEOPEN = context[4];
    const double length = FAIOPEN(number);
    const bool whole = length >= 1 && std::floor(length) == length;
    if (length != 0 && (!whole || length != s.LUNGREC[n] || static_cast<double>(s.BUFFERREC[n].size()) != length)) {
      std::abort();
    }
    VERBASE(number);
  } catch (const ProgramEnded&) {
  } catch (const RuntimeFailure&) {
  }
  return 0;
}
