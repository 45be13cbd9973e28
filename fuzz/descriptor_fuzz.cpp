// A field read through a fuzzed descriptor from a fuzzed record: no crash;
// a descriptor is taken apart exactly when no fault is found in it; a well
// formed text field reads as many characters as the descriptor says (or
// as the record still has); a bad
// descriptor ends the program through its own message or the trap.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/failure.h"
#include "fuzz_support.h"
#include "repository/descriptors.h"
#include "repository/repository.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vt;
  fuzz::freshRun();
  fuzz::Input in(data, size);
  const auto occurrence = static_cast<std::int16_t>(in.byte() % 4);
  const std::string descriptor = in.take(in.byte() % 2 == 0 ? descriptor::kSize : in.byte() % 30);
  const std::string record = in.rest();
  const std::optional<FieldDescriptor> parsed = tryParseDescriptor(descriptor);
  if (parsed.has_value() != descriptorFault(descriptor).empty()) std::abort();
  try {
    const std::string value = RepoR(descriptor, occurrence, record);
    if (parsed && parsed->type == field_type::kText && occurrence == 0 && !record.empty()) {
      const auto position = static_cast<std::size_t>(parsed->position);
      const std::size_t there = record.size() >= position ? record.size() - position + 1 : 0;
      if (value.size() != std::min(there, static_cast<std::size_t>(parsed->length))) std::abort();
    }
    RepoRNum(descriptor, occurrence, record);
  } catch (const ProgramEnded&) {
  } catch (const RuntimeFailure&) {
  }
  return 0;
}
