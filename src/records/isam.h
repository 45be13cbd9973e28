// ISAM keyed search over the suite's three-level index files.
//
// An index file is a numbered suite file whose records are the nodes of a
// tree of exactly three levels: the root (always record 1), second-level
// nodes, and leaves, which map each key to the record number of its data
// record in the archive. The other programs of the suite read and write the
// same files, so every node written here is byte for byte what they expect.
//
// Key length. The record length L of the index (from "WKBASE.DAT") is
// (KL + 7) x 128, where KL is the key length: KL = L / 128 - 7. With the
// employee index (KL = 10) a node is 2,176 bytes.
//
// Node (one record, L bytes): 128 entries of KL + 7 bytes each, entry i (1
// to 128) at positions (i - 1) x (KL + 7) + 1 to i x (KL + 7) of the node.
//
//   Entry layout (positions from 1 within the entry)
//   pos            width  content
//   1-KL           KL     the key; keys compare as single-byte strings, by
//                         character code (unsigned)
//   KL + 1         1      level digit: '1' in the root, '2' in a second-level
//                         node, '3' in a leaf; the same in every entry of a
//                         node
//   KL + 2-KL + 7  6      decimal number, leading zeros: in the root and in
//                         second-level nodes the record number of the child
//                         node; in a leaf the record number of the data
//                         record
//
//   Example (KL = 10): the leaf entry of key "0010020001" with data record
//   42 is "0010020001" "3" "000042".
//
// Used and free entries. The used entries of a node are a prefix of it, in
// strictly ascending key order. Every later entry is free: KL characters of
// code 252 (the high value, HV), the node's level digit and "000000". The
// first character 252 of a node marks its first free entry, so no key may
// contain it. A node is empty when its first key is HV; the index is empty
// when the root is.
//
// Links. The key of a root or second-level entry is the first (lowest) key
// of the child node it points to. No leaf or second-level node is ever left
// full (a node below the root always has a free last entry); the root holds
// at most 128 second-level nodes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vt {

// The node layout's named widths and values (each explained in the format
// above).
inline constexpr int kIndexEntriesPerNode = 128;
inline constexpr std::size_t kIndexLevelDigitWidth = 1;
inline constexpr std::size_t kIndexRecordNumberWidth = 6;
// Bytes of an entry besides its key: the level digit and the record number.
inline constexpr std::size_t kIndexEntryOverhead = kIndexLevelDigitWidth + kIndexRecordNumberWidth;
// The character of the free entries' keys (HV), and their record number.
inline constexpr char kIndexHighValue = static_cast<char>(252);
inline constexpr const char* kIndexFreeRecordNumber = "000000";
// The largest record number the six digits hold.
inline constexpr double kIndexMaxRecordNumber = 999999;
inline constexpr char kIndexRootLevel = '1';
inline constexpr char kIndexBranchLevel = '2';
inline constexpr char kIndexLeafLevel = '3';
// The root's record, and the records of the second-level node and the leaf
// that the first insertion into an empty index writes.
inline constexpr double kIndexRootRecord = 1;
inline constexpr double kIndexFirstBranchRecord = 2;
inline constexpr double kIndexFirstLeafRecord = 3;

// The record length of an index whose keys are `keyLength` long.
constexpr std::size_t indexNodeLength(std::size_t keyLength) {
  return (keyLength + kIndexEntryOverhead) * kIndexEntriesPerNode;
}

// An entry: `key`, the level digit `level`, `number` (0 to 999,999) in six
// digits.
std::string indexEntryText(std::string_view key, char level, double number);

// A node of `level` whose keys are `keyLength` long: the entries `used`
// (whole entries, in order), then free entries.
std::string indexNodeText(std::size_t keyLength, char level, std::string_view used);

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
// rest of the index is for the structural check (records/isam_check.h).
double ISAM(double number, const std::string& key, double code, double record = 0);

// One fault of an index: the index record (node) it lies in, 0 when it
// concerns the file as a whole; the entry (1 to 128), 0 when it concerns the
// node as a whole; what is wrong, in Italian. The operations name a damage
// they meet so (failure 3001), the structural check (records/isam_check.h)
// every damage it finds.
struct IndexFault {
  double node = 0;
  int entry = 0;
  std::string what;
};

// The fault as one line: `place` (e.g. "indice"), ", record N" and
// ", elemento E" where they apply, then ": " and what is wrong; without a
// place, "record N, elemento E: ...", and what is wrong alone when the fault
// concerns the whole file.
std::string describe(const IndexFault& fault, std::string_view place = {});

// Whether `key` holds a character of the high value's code (252) or above:
// no index can hold it (ISAM refuses it).
bool holdsHighCharacters(std::string_view key);

// The key length of an index whose record length is `recordLength`, or
// nothing when no index node has that length.
std::optional<std::size_t> indexKeyLength(double recordLength);

// Writes an empty root into the open, empty file `number`: the
// initialisation, for a file opened by the caller rather than through its
// path (a new index built beside the one it will replace). Failures reach
// the caller.
void initialiseOpenIndex(double number);

}  // namespace vt
