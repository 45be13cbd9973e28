// The nodes of an index as the operations (isam.cpp) and the structural
// check (isam_check.cpp) both see them, and the one rule for a sound node and
// a sound entry, with the fault it names. For the records layer only. (The
// format is described in isam.h.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "records/isam.h"
#include "util/text.h"

namespace vt::isam {

// Faults named by both the operations and the structural check.
inline constexpr const char* kShortFile = "file pi\xF9 corto di un nodo";
inline constexpr const char* kEndOfFile = "fine del file";
inline constexpr const char* kKeyWithHighValue = "chiave con carattere 252";

// One node as read or built: its text, its record, its level, how many
// entries are used (once counted), and the entry chosen for the key of an
// operation. `onFile` is what the file holds at the node's record, as far as
// the operation knows: nothing yet (a new node), the node's text (as read, or
// as last written), or `held`, the text kept before the node's first change.
struct Node {
  enum class OnFile { kUnknown, kText, kHeld };
  std::string text;
  double record = 0;
  char level = kIndexRootLevel;
  int used = 0;
  int chosen = 1;
  OnFile onFile = OnFile::kUnknown;
  std::string held;
};

// Where the fields of each entry stand in the nodes of an index whose keys
// are `keyLength` long.
class NodeLayout {
 public:
  explicit NodeLayout(std::size_t keyLength)
      : keyLength_(keyLength),
        entryLength_(keyLength + kIndexEntryOverhead),
        nodeLength_(indexNodeLength(keyLength)),
        highValue_(keyLength, kIndexHighValue) {}

  std::size_t keyLength() const { return keyLength_; }
  std::size_t entryLength() const { return entryLength_; }
  std::size_t nodeLength() const { return nodeLength_; }
  // The key of every free entry: KL high values.
  const std::string& highValue() const { return highValue_; }

  // The byte offset of `entry` (1 to 128, or 129 for the end of the node).
  std::size_t offset(int entry) const { return static_cast<std::size_t>(entry - 1) * entryLength_; }
  std::string_view key(const Node& node, int entry) const {
    return std::string_view(node.text).substr(offset(entry), keyLength_);
  }
  char levelDigit(const Node& node, int entry) const { return node.text[offset(entry) + keyLength_]; }
  std::string_view numberField(const Node& node, int entry) const {
    return std::string_view(node.text).substr(offset(entry) + keyLength_ + kIndexLevelDigitWidth,
                                              kIndexRecordNumberWidth);
  }

 private:
  std::size_t keyLength_;
  std::size_t entryLength_;
  std::size_t nodeLength_;
  std::string highValue_;
};

// The value of a fixed-width field of decimal digits, or nothing when any
// character is not a digit (a damaged field must not pass for a number).
inline std::optional<double> digitsValue(std::string_view field) {
  long value = 0;
  const char* c = field.data();
  for (const char* end = c + field.size(); c != end; ++c) {
    if (*c < '0' || *c > '9') return std::nullopt;
    value = value * 10 + (*c - '0');
  }
  return static_cast<double>(value);
}

// The length in bytes of the open index file `number` (failure 52 when it
// is not open).
std::uint64_t indexLength(double number);

// --- The rule --------------------------------------------------------------
// What every operation relies on and the structural check enforces:
//   - a node below the root has a used first entry and a free last one (the
//     root may be empty or full);
//   - a used entry has the node's level digit and a number of six digits,
//     which above the leaves is a node of the file (1 to `records`, the
//     nodes the file holds, as far as the caller knows);
//   - after the used entries, every key is all high values.
// Each function gives the first fault it finds, or nothing when sound.

// The fault of a node or entry the rule found unsound, named out of line so
// that the rule's sound path stays small enough to be inlined where the
// operations follow entries: for a node, "nodo senza elementi liberi" when
// its last entry is used, else "nodo vuoto"; for an entry, the first part
// of the rule it breaks, given its level digit and its number (nothing when
// not six digits).
IndexFault nodeFaultOf(const Node& node, bool lastUsed);
IndexFault entryFaultOf(const Node& node, int entry, char level, std::optional<double> number);

// `firstUsed`, `lastUsed`: whether entries 1 and 128 of `node` are used.
inline std::optional<IndexFault> fillFault(const Node& node, bool firstUsed, bool lastUsed) {
  if (node.level == kIndexRootLevel || (firstUsed && !lastUsed)) [[likely]] return std::nullopt;
  return nodeFaultOf(node, lastUsed);
}

// A used entry; when sound, its number is put in `*number` (when given).
inline std::optional<IndexFault> entryFault(const NodeLayout& layout, const Node& node, int entry, double records,
                                            double* number = nullptr) {
  const char level = layout.levelDigit(node, entry);
  const std::optional<double> value = digitsValue(layout.numberField(node, entry));
  if (level == node.level && value && (node.level == kIndexLeafLevel || (*value >= 1 && *value <= records))) [[likely]] {
    if (number != nullptr) *number = *value;
    return std::nullopt;
  }
  return entryFaultOf(node, entry, level, value);
}

// An entry after the used ones.
inline std::optional<IndexFault> freeEntryFault(const NodeLayout& layout, const Node& node, int entry) {
  if (layout.key(node, entry) == layout.highValue()) return std::nullopt;
  return IndexFault{node.record, entry, "elemento usato dopo un elemento libero"};
}

// --- The rule's fast path ------------------------------------------------------

// For each byte of a node: 0xFF where an entry's level digit stands (in
// `level`) or one of its six digits (in `digit`), 0 elsewhere.
struct FieldMasks {
  std::size_t keyLength = 0;  // what they are made for; 0: not made
  std::string level;
  std::string digit;

  // Makes them for `layout`, unless they are made for its key length.
  void makeFor(const NodeLayout& layout);
};

// Whether entryFault finds nothing in entries 1 to node.used: the same rule,
// in a form that branches on nothing but the node's size, so that the
// compiler can check many bytes at once. `masks` are made for `layout`. When
// it says no, the caller asks entryFault entry by entry to name the fault.
bool usedEntriesSound(const NodeLayout& layout, const Node& node, double records, const FieldMasks& masks);

}  // namespace vt::isam
