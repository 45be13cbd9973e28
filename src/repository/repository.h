// The field repository: the descriptors that locate every field of every
// record type of the suite, and reading a field through them.
// (The descriptor format is described in descriptors.h.)
#pragma once

#include <cstdint>
#include <string>

namespace vt {

// The field's text value: read from `record` when it is not empty, else from
// the record variable the descriptor names (DITX$ is S().DITX, ...). Numbers
// have their sign moved to the front and, for types "2" to "6", a point
// before their decimals. A descriptor naming no record variable shows
// "ERRORE REPOSITORY - STRCOSTANTE" and ends the program; other failures
// record "RepoR" in the trail and go to the trap.
std::string RepoR(const std::string& descriptor, std::int16_t occurrence = 0, const std::string& record = {});

// The numeric value of RepoR's result.
double RepoRNum(const std::string& descriptor, std::int16_t occurrence = 0, const std::string& record = {});

// The number of characters to add to the descriptor's position for
// `occurrence` of a repeating group (0 for the first occurrence and for
// record variables without repeating groups). 16-bit arithmetic: an overflow
// is failure 6.
std::int16_t RepoSpostamento(const std::string& descriptor, std::int16_t occurrence);

}  // namespace vt
