#include "records/isam_check.h"

#include <optional>

#include "core/state.h"
#include "records/isam_node.h"
#include "records/records.h"
#include "util/text.h"

namespace vt {
namespace {

using isam::Node;

// Walks an index from the root and collects every way in which it departs
// from the format. Reads nodes through the record layer and writes nothing.
class IndexChecker {
 public:
  IndexChecker(double number, std::size_t keyLength, double records)
      : layout_(keyLength), number_(number), records_(records) {}

  IndexWalk run() {
    visited_.assign(static_cast<std::size_t>(records_) + 1, false);
    visited_[static_cast<std::size_t>(kIndexRootRecord)] = true;
    std::optional<Node> root = load(kIndexRootRecord, kIndexRootLevel);
    if (!root) return std::move(walk_);
    checkEntries(*root);
    for (int entry = 1; entry <= root->used; ++entry) visitChild(*root, entry, kIndexBranchLevel);
    for (std::size_t r = 1; r < visited_.size(); ++r) {
      if (!visited_[r]) walk_.unreached.push_back(static_cast<double>(r));
    }
    return std::move(walk_);
  }

 private:
  std::optional<Node> load(double record, char level) {
    if (LEGGIREC(number_, record) != 0) {
      fault(record, 0, isam::kEndOfFile);
      return std::nullopt;
    }
    Node node;
    node.text = S().BUFFERREC[toInt16(number_)];
    node.record = record;
    node.level = level;
    return node;
  }

  // The entries of one node: the rule (isam_node.h) over its used prefix and
  // the entries after it, and besides: keys free of character 252, in
  // ascending order, data record numbers above 0, free entries in their
  // exact form. Sets the node's count of used entries.
  void checkEntries(Node& node) {
    bool freeSeen = false;
    node.used = kIndexEntriesPerNode;
    for (int entry = 1; entry <= kIndexEntriesPerNode; ++entry) {
      std::string_view key = layout_.key(node, entry);
      if (!freeSeen && key.front() == kIndexHighValue) {
        freeSeen = true;
        node.used = entry - 1;
      }
      if (freeSeen) {
        if (std::optional<IndexFault> found = isam::freeEntryFault(layout_, node, entry)) {
          add(*found);
        } else if (layout_.levelDigit(node, entry) != node.level ||
                   layout_.numberField(node, entry) != kIndexFreeRecordNumber) {
          fault(node.record, entry, "elemento libero non nella forma prevista");
        }
        continue;
      }
      if (key.find(kIndexHighValue) != std::string_view::npos) fault(node.record, entry, isam::kKeyWithHighValue);
      double number = 0;
      if (std::optional<IndexFault> found = isam::entryFault(layout_, node, entry, records_, &number)) {
        add(*found);
      } else if (node.level == kIndexLeafLevel && number == 0) {
        fault(node.record, entry, "numero di record dati 0");
      }
      if (entry > 1 && !(key > layout_.key(node, entry - 1))) {
        fault(node.record, entry, "chiave non maggiore della precedente");
      }
    }
    if (std::optional<IndexFault> found = isam::fillFault(node, node.used > 0, node.used == kIndexEntriesPerNode)) {
      add(*found);
    }
  }

  // The child of `parent`'s entry, when the entry is sound: reached once, of
  // the level below, its first key the entry's key; then its own children,
  // or for a leaf the order of its keys after the previous leaf's.
  void visitChild(const Node& parent, int entry, char level) {
    double record = 0;
    if (isam::entryFault(layout_, parent, entry, records_, &record)) return;
    auto slot = static_cast<std::size_t>(record);
    if (visited_[slot]) {
      fault(parent.record, entry, "record " + decimalText(record) + " raggiunto due volte");
      return;
    }
    visited_[slot] = true;
    std::optional<Node> child = load(record, level);
    if (!child) return;
    checkEntries(*child);
    if (child->used == 0) return;
    if (layout_.key(parent, entry) != layout_.key(*child, 1)) {
      fault(parent.record, entry, "chiave diversa dalla prima chiave del record " + decimalText(record));
    }
    if (level == kIndexBranchLevel) {
      for (int e = 1; e <= child->used; ++e) visitChild(*child, e, kIndexLeafLevel);
      return;
    }
    for (int e = 1; e <= child->used; ++e) {
      if (std::optional<double> data = isam::digitsValue(layout_.numberField(*child, e))) {
        walk_.entries.push_back({std::string(layout_.key(*child, e)), *data, child->record, e});
      }
    }
    if (!lastLeafKey_.empty() && !(layout_.key(*child, 1) > lastLeafKey_)) {
      fault(child->record, 1, "chiave non maggiore dell'ultima chiave della foglia precedente");
    }
    lastLeafKey_ = std::string(layout_.key(*child, child->used));
  }

  void add(IndexFault found) { walk_.faults.push_back(std::move(found)); }
  void fault(double record, int entry, std::string what) { add({record, entry, std::move(what)}); }

  isam::NodeLayout layout_;
  double number_;
  double records_;
  std::vector<bool> visited_;
  std::string lastLeafKey_;
  IndexWalk walk_;
};

}  // namespace

IndexWalk walkIndex(double number) {
  const double recordLength = S().LUNGREC[toInt16(number)];
  std::optional<std::size_t> keyLength = indexKeyLength(recordLength);
  if (!keyLength) return {{{0, 0, "lunghezza del record " + decimalText(recordLength) + " non adatta a un indice"}}, {}, {}};
  const double records = static_cast<double>(isam::indexLength(number) / indexNodeLength(*keyLength));
  if (records < kIndexRootRecord) return {{{0, 0, isam::kShortFile}}, {}, {}};
  return IndexChecker(number, *keyLength, records).run();
}

std::vector<std::string> checkIndex(double number) {
  std::vector<std::string> texts;
  for (const IndexFault& fault : walkIndex(number).faults) texts.push_back(describe(fault));
  return texts;
}

}  // namespace vt
