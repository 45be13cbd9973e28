// ISAM keyed search over the suite's three-level index files.
// (The node and entry format is described at the top of isam.cpp.)
#pragma once

#include <cstddef>
#include <optional>
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
// the caller's trap. An operation finds the damage it meets: in the entries
// it follows and, before it writes anything, in the nodes it changes; the
// rest of the index is for the structural check below.
double ISAM(double number, const std::string& key, double code, double record = 0);

// The structural check of an open index file: levels, ascending unique keys
// in a used prefix, free entries in their exact form, parent keys equal to
// their children's first keys, children inside the file and reached once,
// data record numbers above 0. Returns the faults found, each naming its
// record (and entry); empty when the index is sound. Writes nothing.
std::vector<std::string> checkIndex(double number);

// One fault of the structural check: the index record (node) it lies in, 0
// when it concerns the file as a whole; the entry (1 to 128), 0 when it
// concerns the node as a whole; what is wrong, in Italian.
struct IndexFault {
  double node = 0;
  int entry = 0;
  std::string what;
};

// One used leaf entry reached by the structural check: its key, its data
// record number, and where it lies (node record and entry).
struct IndexEntry {
  std::string key;
  double record = 0;
  double node = 0;
  int entry = 0;
};

// The structural check's walk of an open index file: the faults (the same
// ones checkIndex gives as text) and every leaf entry whose node could be
// read, with a six-digit number, in the order the walk reached them (key
// order when the index is sound). Writes nothing; a damaged node is a fault,
// never a failure. Besides, the nodes after the root that no path from the
// root reaches, ascending: no fault (a deletion leaves the nodes it empties
// so, a split cut short leaves its new node so), but room a rebuild gives
// back; empty when the root cannot be read.
struct IndexWalk {
  std::vector<IndexFault> faults;
  std::vector<IndexEntry> entries;
  std::vector<double> unreached;
};
IndexWalk walkIndex(double number);

// The key length of an index whose record length is `recordLength`, or
// nothing when no index node has that length.
std::optional<std::size_t> indexKeyLength(double recordLength);

// Writes an empty root into the open, empty file `number`: the
// initialisation, for a file opened by the caller rather than through its
// path (a new index built beside the one it will replace). Failures reach
// the caller.
void initialiseOpenIndex(double number);

}  // namespace vt
