// ISAM keyed search over the suite's three-level index files.
// (The node and entry format is described at the top of isam.cpp.)
#pragma once

#include <string>
#include <vector>

namespace vt {

// Operation codes.
inline constexpr double kIsamInsert = 1;
inline constexpr double kIsamSearch = 2;
inline constexpr double kIsamDelete = 3;
inline constexpr double kIsamNext = 4;
inline constexpr double kIsamInitialise = 9;
// The result of the next-key operation when there is no next key.
inline constexpr double kIsamNoNextKey = 999999;

// Runs operation `code` on the index file `number` for `key` (`record` is
// the data record number, used by insert only). Insert: 0, or -1 when the key
// is present or refused. Search and delete: the data record number, or -1.
// Next: the data record number of the first key greater than `key`, with the
// key in CHIAVEISAM; 999999 and the high value when there is none.
// Initialise: 0. A refusal (the four checks, an unknown code, a record number
// outside 1 to 999,999, a key holding a character of code 252 or above, a
// full root) shows its message (OK only, no icon) and gives -1 without
// writing. Records nothing in the trail and catches nothing: a failure (a
// damaged index, failure 3001 naming the file and the node, included) reaches
// the caller's trap.
double ISAM(double number, const std::string& key, double code, double record = 0);

// The structural check of an open index file: levels, ascending unique keys
// in a used prefix, free entries in their exact form, parent keys equal to
// their children's first keys, children inside the file and reached once,
// data record numbers above 0. Returns the faults found, each naming its
// record (and entry); empty when the index is sound. Writes nothing.
std::vector<std::string> checkIndex(double number);

}  // namespace vt
