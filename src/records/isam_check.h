// The structural check of an index file: what vtmerv-check walks. (The node
// and entry format is described in isam.h; the rule for a sound entry,
// which the operations apply too, is in isam_node.h.)
#pragma once

#include <string>
#include <vector>

#include "records/isam.h"

namespace vt {

// One used leaf entry reached by the structural check: its key, its data
// record number, and where it lies (node record and entry).
struct IndexEntry {
  std::string key;
  double record = 0;
  double node = 0;
  int entry = 0;
};

// The structural check's walk of an open index file: levels, ascending
// unique keys in a used prefix, free entries in their exact form, parent keys
// equal to their children's first keys, children inside the file and reached
// once, data record numbers above 0. `faults` are the ways the index departs
// from the format, each naming its record (and entry); empty when the index
// is sound. `entries` are every leaf entry whose node could be read, with a
// six-digit number, in the order the walk reached them (key order when the
// index is sound). Writes nothing; a damaged node is a fault, never a
// failure. Besides, `unreached` are the nodes after the root that no path
// from the root reaches, ascending: no fault (a deletion leaves the nodes it
// empties so, a split cut short leaves its new node so), but room a rebuild
// gives back; empty when the root cannot be read.
struct IndexWalk {
  std::vector<IndexFault> faults;
  std::vector<IndexEntry> entries;
  std::vector<double> unreached;
};
IndexWalk walkIndex(double number);

// The faults of walkIndex as texts (describe() without a place).
std::vector<std::string> checkIndex(double number);

}  // namespace vt
