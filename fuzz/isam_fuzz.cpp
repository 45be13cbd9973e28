// The ISAM operations over an index file of fuzzed bytes. Whatever the file
// holds: no crash, no hang, no read outside a buffer; an operation that finds
// the index damaged, refuses, or finds nothing to change writes nothing; and
// on an index the structural check finds sound, an insertion or a deletion
// leaves it sound, with the key found (or gone) afterwards.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/failure.h"
#include "fuzz_support.h"
#include "records/files.h"
#include "records/isam_check.h"

namespace {

using namespace vt;

constexpr double kIndexFile = 1;
constexpr std::size_t kKeyLength = 10;
constexpr int kOperations = 6;

// A key of ten digits from four bytes, or ten raw bytes when asked.
std::string keyFrom(fuzz::Input& in, bool raw) {
  if (raw) return in.take(kKeyLength);
  std::uint32_t seed = 0;
  for (int i = 0; i < 4; ++i) seed = seed << 8 | in.byte();
  std::string digits = std::to_string(seed % 100000U);
  return std::string(kKeyLength - digits.size(), '0') + digits;
}

// Stops the run, naming the rule broken, when `condition` does not hold.
#define check(condition) ((condition) ? void() : (std::fprintf(stderr, "broken: %s\n", #condition), std::abort()))

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& folder = fuzz::freshRun();
  fuzz::Input in(data, size);
  struct Step {
    int code;
    std::string key;
    double record;
  };
  Step steps[kOperations];
  for (Step& step : steps) {
    const std::uint8_t op = in.byte();
    constexpr double kCodes[] = {kIsamSearch, kIsamInsert, kIsamDelete, kIsamNext};
    step.code = static_cast<int>(kCodes[op % 4]);
    step.key = keyFrom(in, (op & 0x80) != 0);
    step.record = in.byte() % 8 == 0 ? 0 : in.byte() + 1;
  }
  const std::string indexPath = folder + "/IDX.DAT";
  fuzz::writeFile(folder + "/WKBASE.DAT", std::string(3, ' ') + "IDX.DAT" + std::string(22, ' ') + " 2176" +
                                              std::string(42, ' '));
  fuzz::writeFile(indexPath, in.rest());
  try {
    FAIOPEN(kIndexFile);
    for (const Step& step : steps) {
      const std::string before = fuzz::readFile(indexPath);
      const bool sound = !before.empty() && checkIndex(kIndexFile).empty();
      double result = 0;
      try {
        result = ISAM(kIndexFile, step.key, step.code, step.record);
      } catch (const RuntimeFailure& failure) {
        // A damaged index stops the operation before it writes anything.
        check(failure.code() == err::kDamagedIndex && !sound);
        check(fuzz::readFile(indexPath) == before);
        break;
      }
      const bool changes = (step.code == kIsamInsert && result == 0) || (step.code == kIsamDelete && result > 0);
      if (!changes) check(fuzz::readFile(indexPath) == before);
      if (!sound || !changes) continue;
      check(checkIndex(kIndexFile).empty());
      const double found = ISAM(kIndexFile, step.key, kIsamSearch);
      check(step.code == kIsamInsert ? found == step.record : found == -1);
    }
  } catch (const ProgramEnded&) {
  }
  return 0;
}
