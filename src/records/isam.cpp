// ISAM keyed search over the suite's three-level index files (the format in
// isam.h).
//
// How the operations keep the format: the insertion that uses the last free
// entry of a leaf or second-level node splits it at once into two halves of
// 64 entries, the right half appended at the end of the file. The root is
// never split: it holds at most 128 second-level nodes, and an insertion
// that would need a 129th is refused. Deletion removes the entry of a node
// it empties from the node above; emptied nodes stay in the file,
// unreferenced, and are never reused.
#include "records/isam.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <optional>
#include <string_view>

#include "core/dialogs.h"
#include "core/failure.h"
#include "core/state.h"
#include "records/files.h"
#include "records/isam_node.h"
#include "records/records.h"
#include "util/text.h"

namespace vt {
namespace {

// --- The format ------------------------------------------------------------
// (Described, with its named widths and values, in isam.h; the rule for a
// sound node and entry in isam_node.h.)

// Entries kept in each half when a full node is split.
constexpr int kSplitHalf = kIndexEntriesPerNode / 2;

using isam::Node;

// --- Messages ----------------------------------------------------------------

constexpr const char* kMessageEmptyFile = "ERRORE ISAM - FILE VUOTO ";
constexpr const char* kMessageNoKey = "ERRORE ISAM - LUNK=0";
constexpr const char* kMessageKeyLength = "ERRORE ISAM - LUNK NO OK";
constexpr const char* kMessageBlankKey = "ERRORE ISAM - K=BLANK";
constexpr const char* kMessageBadCode = "ERRORE CODICE ISAM ";
constexpr const char* kMessageRecordZero = "ERR.ISAM - N.REC.=0";
constexpr const char* kMessageBadRecord = "ERRORE ISAM - N.REC. NON VALIDO";
constexpr const char* kMessageBadKey = "ERRORE ISAM - CHIAVE NON VALIDA";
constexpr const char* kMessageFull = "ERRORE ISAM - INDICE PIENO ";

// A refusal: the message box (OK only, no icon, default title) and -1.
double refuse(const std::string& text) {
  dialogs().message(text, Buttons::kOk, Icon::kNone);
  return -1;
}

// The key length that record length `length` gives, or nothing when no index
// node has that length.
std::optional<std::size_t> keyLengthOf(double length) {
  if (!(length > 0) || std::floor(length) != length) return std::nullopt;
  auto whole = static_cast<std::size_t>(length);
  if (whole % kIndexEntriesPerNode != 0 || whole / kIndexEntriesPerNode <= kIndexEntryOverhead) return std::nullopt;
  return whole / kIndexEntriesPerNode - kIndexEntryOverhead;
}

// --- Key order ---------------------------------------------------------------

// Keys compare as single-byte strings by character code. With keys of eight
// characters or more, the first eight compare as one number (most keys of a
// node differ in them), the rest only when those are alike.
class KeyOrder {
 public:
  KeyOrder(std::string_view wanted, std::size_t keyLength)
      : wanted_(wanted.data()),
        keyLength_(keyLength),
        quick_(keyLength >= kHead && static_cast<unsigned char>(wanted.front()) < static_cast<unsigned char>(kIndexHighValue)),
        wantedHead_(quick_ ? head(wanted_) : 0) {}

  // Whether the key at `key` is a used one (it does not begin with the high
  // value) not greater than the wanted key. A wanted key that begins with
  // a character below the high value is below every key that begins with
  // it.
  bool usedAndNotGreater(const char* key) const {
    if (!quick_) {
      return key[0] != kIndexHighValue && std::string_view(key, keyLength_) <= std::string_view(wanted_, keyLength_);
    }
    const std::uint64_t keyHead = head(key);
    if (keyHead != wantedHead_) return keyHead < wantedHead_;
    return std::memcmp(key + kHead, wanted_ + kHead, keyLength_ - kHead) <= 0;
  }

 private:
  static constexpr std::size_t kHead = sizeof(std::uint64_t);

  // The first eight characters as a number that orders as they do.
  static std::uint64_t head(const char* key) {
    std::uint64_t value = 0;
    std::memcpy(&value, key, kHead);
    if constexpr (std::endian::native == std::endian::little) value = __builtin_bswap64(value);
    return value;
  }

  const char* wanted_;
  std::size_t keyLength_;
  bool quick_;
  std::uint64_t wantedHead_;
};

// --- Nodes -------------------------------------------------------------------

// The nodes read on the way from the root to the leaf of a key, each with
// its chosen entry. `empty` when the root is empty (only the root was read).
struct Path {
  Node root;
  Node branch;
  Node leaf;
  bool empty = false;
};

// The one workspace of the process: the path, whose node buffers keep their
// room from call to call (the nodes themselves are read anew at every call:
// the suite's other programs write the index), and the masks of the fast
// check of a node's entries, made for the key length of the index last
// checked.
struct Workspace {
  Path path;
  isam::FieldMasks masks;
};

Workspace& workspace() {
  static Workspace space;
  return space;
}

// The open index file of one call: reads, writes and edits its nodes, and
// applies the rule of isam_node.h to what an operation follows or changes.
class IndexFile : public isam::NodeLayout {
 public:
  // `fileLength`: the length of the open index file, in bytes, for the
  // operations that write; without it (a search, a next key) a node past
  // the end of the file is found by its read.
  IndexFile(double number, std::size_t keyLength, std::optional<std::uint64_t> fileLength)
      : NodeLayout(keyLength),
        number_(number),
        records_(fileLength ? static_cast<double>(*fileLength / nodeLength()) : kIndexMaxRecordNumber),
        reader_(number) {}

  // Whether the file's nodes are read straight from its handle (the file
  // is open with a record buffer of its length).
  bool direct() const { return reader_.direct(); }

  double fileNumber() const { return number_; }

  // Asks the file's length, for the records() of a call made without it.
  void askLength() { records_ = static_cast<double>(isam::indexLength(number_) / nodeLength()); }

  // Checks the child of every used entry of `node` (read whole) against
  // the file's nodes.
  void checkChildren(const Node& node) const {
    for (int entry = 1; entry <= node.used; ++entry) number(node, entry);
  }

  // The number of whole nodes in the file (its length / L, kept up to date
  // by the writes of this call); without the file's length, the most that
  // six digits can name.
  double records() const { return records_; }

  // The record number of a used entry that the operation follows, checked
  // by the entry rule as it is followed.
  double number(const Node& node, int entry) const {
    double value = 0;
    if (std::optional<IndexFault> fault = isam::entryFault(*this, node, entry, records(), &value)) damaged(*fault);
    return value;
  }
  std::string firstKey(const Node& node) const { return std::string(key(node, 1)); }

  std::string freeEntry(char level) const { return highValue() + level + kIndexFreeRecordNumber; }
  // A node whose entries are `used` (whole entries, in order) and free ones after.
  Node buildNode(char level, double record, std::string_view used) const {
    Node node;
    node.text = indexNodeText(keyLength(), level, used);
    node.record = record;
    node.level = level;
    node.used = static_cast<int>(used.size() / entryLength());
    return node;
  }

  // --- Reading and writing nodes ---

  // Reads the node of `level` at `record` through the record layer straight
  // into `node`, whose buffer is reused (the result of the read goes to
  // FINEARCHIVIO), and checks what any operation relies on: below the
  // root, a used first entry and a free last one. Each entry is checked as
  // the operation follows it (number()), and the whole node before the
  // operation changes it (checkWhole()): an entry the operation neither
  // follows nor writes cannot lead it astray.
  void read(double record, char level, Node& node) const {
    if (!(record >= 1 && record <= records())) damaged(record, "nodo fuori dal file");
    if (!tryRead(record, level, node)) damaged(record, isam::kEndOfFile);
  }

  // The same read, false when the file ends before the node does.
  bool tryRead(double record, char level, Node& node) const {
    State& s = S();
    s.FINEARCHIVIO = reader_.read(record, node.text);
    if (s.FINEARCHIVIO != 0) return false;
    node.record = record;
    node.level = level;
    node.chosen = 1;
    node.used = -1;
    node.onFile = Node::OnFile::kText;
    if (node.text.size() != nodeLength()) damaged(record, "lunghezza del nodo");
    if (std::optional<IndexFault> fault = isam::fillFault(node, isUsed(node, 1), isUsed(node, kIndexEntriesPerNode))) {
      damaged(*fault);
    }
    return true;
  }

  // Checks every entry of a node that the operation will change, and counts
  // its used entries: the rule over the whole node (children inside the
  // file as far as the call knows its length), no character 252 inside a
  // key, free entries in their exact form.
  void checkWhole(Node& node) const {
    node.used = usedEntries(node);
    check(node);
  }

  // Writes the node: over the bytes the call knows the file holds there,
  // so they need not be read again, or as a new record.
  void write(Node& node) {
    if (node.onFile == Node::OnFile::kUnknown) {
      SCRIVIREC(number_, node.record, node.text);
    } else {
      rewriteRecord(number_, node.record, node.text, node.onFile == Node::OnFile::kHeld ? node.held : node.text);
    }
    node.onFile = Node::OnFile::kText;
    records_ = std::max(records_, node.record);
  }
  void write(Node&& node) { write(node); }

  // --- Changes inside a node ---

  // Whether `entry` (1 to 128, or past the last) is a used one: a node's
  // used entries are those before the first key that begins with the high
  // value.
  bool isUsed(const Node& node, int entry) const {
    return entry <= kIndexEntriesPerNode && node.text[offset(entry)] != kIndexHighValue;
  }

  // The entry for `key`: the one with the greatest key not greater than it,
  // or entry 1 when every key is greater. Counts the used keys not greater
  // than `wanted` by halving over the whole node (the used keys ascend, and
  // the free ones count as greater); in a node whose keys do not ascend,
  // the entry is still one from 1 to 128.
  int choose(const Node& node, std::string_view wanted) const {
    const KeyOrder order(wanted, keyLength());
    const char* keys = node.text.data();
    std::size_t base = 0;
    for (std::size_t n = kIndexEntriesPerNode; n > 1;) {
      const std::size_t half = n / 2;
      base = order.usedAndNotGreater(keys + (base + half) * entryLength()) ? base + half : base;
      n -= half;
    }
    const std::size_t count = base + (order.usedAndNotGreater(keys + base * entryLength()) ? 1 : 0);
    return std::max(static_cast<int>(count), 1);
  }

  // Puts `entry` at the chosen place: after it when its key is greater,
  // otherwise in its place; the entries from there on move one to the right
  // into the first free entry. The node must have a free entry.
  void insert(Node& node, const std::string& entry) const {
    keepOnFile(node);
    int at = std::string_view(entry).substr(0, keyLength()) > key(node, node.chosen) ? node.chosen + 1
                                                                                     : node.chosen;
    char* base = node.text.data();
    std::memmove(base + offset(at + 1), base + offset(at), offset(node.used + 1) - offset(at));
    std::memcpy(base + offset(at), entry.data(), entryLength());
    ++node.used;
  }

  // Removes the chosen entry: the entries after it, up to and including the
  // first free entry, move one to the left. A full node gets a free entry in
  // its last place.
  void remove(Node& node) const {
    keepOnFile(node);
    char* base = node.text.data();
    int last = node.used < kIndexEntriesPerNode ? node.used + 1 : node.used;
    std::memmove(base + offset(node.chosen), base + offset(node.chosen + 1),
                 offset(last + 1) - offset(node.chosen + 1));
    if (node.used == kIndexEntriesPerNode) {
      std::string free = freeEntry(node.level);
      std::memcpy(base + offset(kIndexEntriesPerNode), free.data(), entryLength());
    }
    --node.used;
  }

  void setKey(Node& node, int entry, std::string_view newKey) const {
    keepOnFile(node);
    node.text.replace(offset(entry), keyLength(), newKey);
  }

  // Splits a full node: entries 1 to 64 stay at its record, entries 65 to
  // 128 go to a new node appended at the end of the file; both are written
  // and filled with free entries. Returns the new node.
  Node split(Node& node) {
    std::string_view text(node.text);
    Node right = buildNode(node.level, records() + 1,
                           text.substr(offset(kSplitHalf + 1), offset(kIndexEntriesPerNode + 1) - offset(kSplitHalf + 1)));
    keepOnFile(node);
    const std::string free = freeEntry(node.level);
    for (int entry = kSplitHalf + 1; entry <= kIndexEntriesPerNode; ++entry) {
      node.text.replace(offset(entry), entryLength(), free);
    }
    node.used = kSplitHalf;
    write(node);
    write(right);
    return right;
  }

  [[noreturn]] void damaged(const IndexFault& fault) const {
    raiseFailure(err::kDamagedIndex, "file " + decimalText(number_) + ", " + describe(fault));
  }
  [[noreturn]] void damaged(double record, const std::string& what) const { damaged({record, 0, what}); }

 private:
  // Before the first change of a node read from the file, keeps what the
  // file holds for it.
  static void keepOnFile(Node& node) {
    if (node.onFile != Node::OnFile::kText) return;
    node.held = node.text;
    node.onFile = Node::OnFile::kHeld;
  }

  // The used entries: those before the first character 252 of the node,
  // which must begin an entry's key.
  int usedEntries(const Node& node) const {
    std::size_t first = node.text.find(kIndexHighValue);
    if (first == std::string::npos) return kIndexEntriesPerNode;
    const int entry = static_cast<int>(first / entryLength()) + 1;
    if (first % entryLength() == 0) return entry - 1;
    if (first % entryLength() >= keyLength()) number(node, entry);  // the 252 is in its level digit or number
    damaged({node.record, entry, isam::kKeyWithHighValue});
  }

  // The rule over a whole node whose used entries are counted. The used
  // entries take the rule's fast path first, and only when it finds a
  // fault, one by one to name it; free entries in their exact form (the
  // usual case) are compared at once: the first with the free entry, every
  // later one with the one before it.
  void check(const Node& node) const {
    if (std::optional<IndexFault> fault = isam::fillFault(node, node.used > 0, node.used == kIndexEntriesPerNode)) {
      damaged(*fault);
    }
    isam::FieldMasks& masks = workspace().masks;
    masks.makeFor(*this);
    if (!isam::usedEntriesSound(*this, node, records(), masks)) checkChildren(node);
    const std::size_t freeFrom = offset(node.used + 1);
    if (freeFrom == nodeLength()) return;
    const char* free = node.text.data() + freeFrom;
    if (std::memcmp(free, highValue().data(), keyLength()) == 0 && free[keyLength()] == node.level &&
        std::memcmp(free + keyLength() + kIndexLevelDigitWidth, kIndexFreeRecordNumber, kIndexRecordNumberWidth) == 0 &&
        std::memcmp(free, free + entryLength(), nodeLength() - freeFrom - entryLength()) == 0) {
      return;
    }
    for (int entry = node.used + 1; entry <= kIndexEntriesPerNode; ++entry) {
      if (std::optional<IndexFault> fault = isam::freeEntryFault(*this, node, entry)) damaged(*fault);
    }
  }

  double number_;
  double records_;
  mutable RecordReader reader_;
};

// --- The descent -------------------------------------------------------------

// Reads the rest of the path of `key`, below the root already read into
// `path`.
void descend(const IndexFile& index, Path& path, std::string_view key) {
  path.empty = !index.isUsed(path.root, 1);
  if (path.empty) return;
  path.root.chosen = index.choose(path.root, key);
  index.read(index.number(path.root, path.root.chosen), kIndexBranchLevel, path.branch);
  path.branch.chosen = index.choose(path.branch, key);
  index.read(index.number(path.branch, path.branch.chosen), kIndexLeafLevel, path.leaf);
  path.leaf.chosen = index.choose(path.leaf, key);
}

bool found(const IndexFile& index, const Path& path, std::string_view key) {
  return !path.empty && index.key(path.leaf, path.leaf.chosen) == key;
}

// --- The operations ----------------------------------------------------------

double search(const IndexFile& index, Path& path, std::string_view key) {
  descend(index, path, key);
  return found(index, path, key) ? index.number(path.leaf, path.leaf.chosen) : -1;
}

bool validRecordNumber(double record) {
  return record >= 1 && record <= kIndexMaxRecordNumber && std::floor(record) == record;
}

// The first insertion into an empty index: records 1 to 3 anew.
void writeFirstPath(IndexFile& index, std::string_view key, double record) {
  index.write(index.buildNode(kIndexRootLevel, kIndexRootRecord, indexEntryText(key, kIndexRootLevel, kIndexFirstBranchRecord)));
  index.write(index.buildNode(kIndexBranchLevel, kIndexFirstBranchRecord, indexEntryText(key, kIndexBranchLevel, kIndexFirstLeafRecord)));
  index.write(index.buildNode(kIndexLeafLevel, kIndexFirstLeafRecord, indexEntryText(key, kIndexLeafLevel, record)));
}

// The refusals of an insertion's record number and key; the message of the
// first that applies.
std::optional<std::string> refusalOfInsert(std::string_view key, double record) {
  if (record == 0) return std::string(kMessageRecordZero);
  if (!validRecordNumber(record)) return std::string(kMessageBadRecord);
  if (holdsHighCharacters(key)) return std::string(kMessageBadKey);
  return std::nullopt;
}

double insert(IndexFile& index, Path& path, std::string_view key, double record) {
  descend(index, path, key);
  if (found(index, path, key)) return -1;
  if (path.empty) {
    index.checkWhole(path.root);
    writeFirstPath(index, key, record);
    return 0;
  }
  Node& leaf = path.leaf;
  Node& branch = path.branch;
  Node& root = path.root;

  // Before anything is written, every node the insertion will change is
  // checked whole: the leaf; the second-level node when the key becomes
  // the leaf's first or the leaf splits; the root when the second-level
  // node's first key changes or it splits.
  index.checkWhole(leaf);
  const bool leafSplits = leaf.used + 1 == kIndexEntriesPerNode;
  const bool newFirstKey = leaf.chosen == 1 && !(key > index.key(leaf, 1));
  if (newFirstKey || leafSplits) index.checkWhole(branch);
  const bool branchSplits = leafSplits && branch.used + 1 == kIndexEntriesPerNode;
  if ((newFirstKey && branch.chosen == 1) || branchSplits) index.checkWhole(root);

  // Refuse an insertion the file cannot hold: a 129th root entry, or new
  // nodes past the six-digit record numbers. A split appends its new nodes:
  // the file's length is asked, and the children of the second-level node
  // it changes are checked against it.
  if (branchSplits && root.used == kIndexEntriesPerNode) return refuse(kMessageFull + decimalText(index.fileNumber()));
  if (leafSplits) {
    index.askLength();
    index.checkChildren(branch);
    if (index.records() + 1 + (branchSplits ? 1 : 0) > kIndexMaxRecordNumber) {
      return refuse(kMessageFull + decimalText(index.fileNumber()));
    }
  }
  std::string leafFirst = index.firstKey(leaf);
  index.insert(leaf, indexEntryText(key, kIndexLeafLevel, record));
  index.write(leaf);
  if (index.firstKey(leaf) != leafFirst) {
    std::string branchFirst = index.firstKey(branch);
    index.setKey(branch, branch.chosen, index.firstKey(leaf));
    index.write(branch);
    if (index.firstKey(branch) != branchFirst) {
      index.setKey(root, root.chosen, index.firstKey(branch));
      index.write(root);
    }
  }

  if (!leafSplits) return 0;
  Node newLeaf = index.split(leaf);
  index.insert(branch, indexEntryText(index.firstKey(newLeaf), kIndexBranchLevel, newLeaf.record));
  index.write(branch);

  if (!branchSplits) return 0;
  Node newBranch = index.split(branch);
  index.insert(root, indexEntryText(index.firstKey(newBranch), kIndexRootLevel, newBranch.record));
  index.write(root);
  return 0;
}

double remove(IndexFile& index, Path& path, std::string_view key) {
  descend(index, path, key);
  if (!found(index, path, key)) return -1;
  Node& leaf = path.leaf;
  Node& branch = path.branch;
  Node& root = path.root;
  double record = index.number(leaf, leaf.chosen);

  // Before anything is written, every node the deletion will change is
  // checked whole: the leaf; the second-level node when the leaf loses its
  // first key; the root when the second-level node loses its first too.
  index.checkWhole(leaf);
  if (leaf.chosen == 1) index.checkWhole(branch);
  if (leaf.chosen == 1 && branch.chosen == 1) index.checkWhole(root);

  std::string leafFirst = index.firstKey(leaf);
  index.remove(leaf);
  index.write(leaf);
  if (index.firstKey(leaf) == leafFirst) return record;

  std::string branchFirst = index.firstKey(branch);
  if (leaf.used == 0) {
    index.remove(branch);
  } else {
    index.setKey(branch, branch.chosen, index.firstKey(leaf));
  }
  index.write(branch);
  if (index.firstKey(branch) == branchFirst) return record;

  if (branch.used == 0) {
    index.remove(root);
  } else {
    index.setKey(root, root.chosen, index.firstKey(branch));
  }
  index.write(root);
  return record;
}

// The first key greater than `key`: from the chosen leaf entry onwards,
// climbing to the next second-level entry or root entry when a node is done
// and continuing from the first entry of the node read below.
double next(const IndexFile& index, Path& path, std::string_view key) {
  descend(index, path, key);
  S().CHIAVEISAM = index.highValue();
  if (path.empty) return kIsamNoNextKey;
  Node& root = path.root;
  Node& branch = path.branch;
  Node& leaf = path.leaf;
  if (key >= index.key(leaf, leaf.chosen)) ++leaf.chosen;
  for (;;) {
    if (index.isUsed(leaf, leaf.chosen)) {
      S().CHIAVEISAM = std::string(index.key(leaf, leaf.chosen));
      return index.number(leaf, leaf.chosen);
    }
    ++branch.chosen;
    if (!index.isUsed(branch, branch.chosen)) {
      ++root.chosen;
      if (!index.isUsed(root, root.chosen)) return kIsamNoNextKey;
      index.read(index.number(root, root.chosen), kIndexBranchLevel, branch);
      branch.chosen = 1;
    }
    index.read(index.number(branch, branch.chosen), kIndexLeafLevel, leaf);
    leaf.chosen = 1;
  }
}

// Operation `code` (insert, search, delete or next), with the root read
// into `path`.
double operate(IndexFile& index, Path& path, double code, std::string_view key, double record) {
  if (code == kIsamInsert) return insert(index, path, key, record);
  if (code == kIsamSearch) return search(index, path, key);
  if (code == kIsamDelete) return remove(index, path, key);
  return next(index, path, key);
}

// Empties the file and writes an empty root.
double initialise(double number, std::size_t keyLength) {
  AZZERAFILE(number);
  IndexFile index(number, keyLength, 0);
  index.write(index.buildNode(kIndexRootLevel, kIndexRootRecord, {}));
  return 0;
}

// Opens the index for the initialisation, keeping the context values that
// the path resolution would consume.
void openKeepingContext(double number) {
  const SavedContext context(SavedContext::kWithDrive);
  FAIOPEN(number);
  context.restore();
}

// The checks of the key made before any operation but the initialisation
// (after the check that the file is not empty); the message of the first
// that fails.
std::optional<std::string> refusalOfKey(double number, const std::string& key, double code) {
  if (key.empty()) return std::string(kMessageNoKey);
  if (static_cast<double>((key.size() + kIndexEntryOverhead) * kIndexEntriesPerNode) != S().LUNGREC[toInt16(number)]) {
    return std::string(kMessageKeyLength);
  }
  if (TRIM(key).empty() && code != kIsamNext) return std::string(kMessageBlankKey);
  return std::nullopt;
}


}  // namespace

double ISAM(double number, const std::string& key, double code, double record) {
  int slot = toInt16(number);
  if (code == kIsamInitialise) {
    if (S().NUMEROFILE[slot] == 0) openKeepingContext(number);
    std::optional<std::size_t> keyLength = keyLengthOf(S().LUNGREC[slot]);
    if (!keyLength) {
      raiseFailure(err::kBadRecordLength, "file " + decimalText(number) + " (" +
                                              decimalText(S().LUNGREC[slot]) + ")");
    }
    return initialise(number, *keyLength);
  }

  const bool knownCode = code == kIsamInsert || code == kIsamSearch || code == kIsamDelete || code == kIsamNext;
  std::optional<std::string> refusal = refusalOfKey(number, key, code);
  if (!refusal && code == kIsamInsert) refusal = refusalOfInsert(key, record);
  Path& path = workspace().path;

  // An operation that nothing refuses does not ask the file's length (an
  // insertion asks it only to split a node): the empty file shows as a
  // root that cannot be read. Asking the length at every call would also
  // cost every later write of the file an update of its times on disk.
  if (knownCode && !refusal) {
    IndexFile index(number, key.size(), std::nullopt);
    if (index.direct()) {
      if (!index.tryRead(kIndexRootRecord, kIndexRootLevel, path.root)) {
        if (isam::indexLength(number) == 0) return refuse(kMessageEmptyFile + decimalText(number));
        index.damaged(kIndexRootRecord, isam::kShortFile);
      }
      return operate(index, path, code, key, record);
    }
  }

  // The refusals, in their order: the empty file, the key, the code, the
  // insertion's record and key.
  const std::uint64_t length = isam::indexLength(number);
  if (length == 0) return refuse(kMessageEmptyFile + decimalText(number));
  if (std::optional<std::string> keyRefusal = refusalOfKey(number, key, code)) return refuse(*keyRefusal);
  IndexFile index(number, key.size(), length);
  if (index.records() < kIndexRootRecord) index.damaged(kIndexRootRecord, isam::kShortFile);
  if (!knownCode) return refuse(kMessageBadCode + decimalText(code));
  if (refusal) return refuse(*refusal);
  index.read(kIndexRootRecord, kIndexRootLevel, path.root);
  return operate(index, path, code, key, record);
}

std::string describe(const IndexFault& fault, std::string_view place) {
  std::string where(place);
  auto add = [&where](const std::string& part) { where += (where.empty() ? "" : ", ") + part; };
  if (fault.node != 0) add("record " + decimalText(fault.node));
  if (fault.entry != 0) add("elemento " + std::to_string(fault.entry));
  return where.empty() ? fault.what : where + ": " + fault.what;
}

std::string indexEntryText(std::string_view key, char level, double number) {
  std::string text(key);
  text += level;
  text.resize(key.size() + kIndexEntryOverhead);
  auto whole = static_cast<unsigned>(number);
  for (std::size_t i = text.size(); i-- > key.size() + kIndexLevelDigitWidth; whole /= 10) {
    text[i] = static_cast<char>('0' + whole % 10);
  }
  return text;
}

std::string indexNodeText(std::size_t keyLength, char level, std::string_view used) {
  std::string text(used);
  const std::string free = std::string(keyLength, kIndexHighValue) + level + kIndexFreeRecordNumber;
  while (text.size() < indexNodeLength(keyLength)) text += free;
  return text;
}

std::optional<std::size_t> indexKeyLength(double recordLength) { return keyLengthOf(recordLength); }

bool holdsHighCharacters(std::string_view key) {
  constexpr auto kHigh = static_cast<unsigned char>(kIndexHighValue);
  return std::any_of(key.begin(), key.end(), [](char c) { return static_cast<unsigned char>(c) >= kHigh; });
}

void initialiseOpenIndex(double number) {
  std::optional<std::size_t> keyLength = keyLengthOf(S().LUNGREC[toInt16(number)]);
  if (!keyLength) raiseFailure(err::kBadRecordLength, "file " + decimalText(number));
  IndexFile index(number, *keyLength, 0);
  index.write(index.buildNode(kIndexRootLevel, kIndexRootRecord, {}));
}

}  // namespace vt
