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
// Node (one record, L bytes): 128 entries of KL + 7 bytes each, entry i
// (1-based) at byte offset (i - 1) x (KL + 7).
//
//   Entry layout (offsets from the start of the entry)
//   offset   width  content
//   0        KL     the key; keys compare as single-byte strings, by
//                   character code (unsigned)
//   KL       1      level digit: '1' in the root, '2' in a second-level
//                   node, '3' in a leaf; the same in every entry of a node
//   KL + 1   6      decimal number, leading zeros: in the root and in
//                   second-level nodes the record number of the child node;
//                   in a leaf the record number of the data record
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
// full: the insertion that uses its last free entry splits it at once into
// two halves of 64 entries, the right half appended at the end of the file.
// The root is never split: it holds at most 128 second-level nodes, and an
// insertion that would need a 129th is refused. Deletion removes the entry of
// a node it empties from the node above; emptied nodes stay in the file,
// unreferenced, and are never reused.
#include "records/isam.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <optional>
#include <string_view>

#include "core/dialogs.h"
#include "core/failure.h"
#include "core/state.h"
#include "platform/files.h"
#include "records/files.h"
#include "records/records.h"
#include "util/text.h"

namespace vt {
namespace {

// --- The format ------------------------------------------------------------

constexpr int kEntriesPerNode = 128;
// Bytes of an entry besides its key: the level digit and the record number.
constexpr std::size_t kLevelDigitWidth = 1;
constexpr std::size_t kRecordNumberWidth = 6;
constexpr std::size_t kEntryOverhead = kLevelDigitWidth + kRecordNumberWidth;
static_assert(kEntryOverhead == 7);
// Entries kept in each half when a full node is split.
constexpr int kSplitHalf = kEntriesPerNode / 2;
// The character of the free entries' keys (HV).
constexpr char kHighValue = static_cast<char>(252);
// The record number of a free entry.
constexpr const char* kFreeRecordNumber = "000000";
// The largest record number the six digits hold.
constexpr double kMaxRecordNumber = 999999;

constexpr char kRootLevel = '1';
constexpr char kBranchLevel = '2';
constexpr char kLeafLevel = '3';

// The root's record, and the records that the first insertion into an empty
// index writes (root, second-level node, leaf).
constexpr double kRootRecord = 1;
constexpr double kFirstBranchRecord = 2;
constexpr double kFirstLeafRecord = 3;

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

// --- Field decoding ----------------------------------------------------------

// The value of a fixed-width field of decimal digits, or nothing when any
// character is not a digit (a damaged field must not pass for a number).
std::optional<double> digitsValue(std::string_view field) {
  long value = 0;
  const char* c = field.data();
  for (const char* end = c + field.size(); c != end; ++c) {
    if (*c < '0' || *c > '9') return std::nullopt;
    value = value * 10 + (*c - '0');
  }
  return static_cast<double>(value);
}

// The six-digit field of a record number from 0 to 999,999.
void putSixDigits(char* field, double value) {
  auto whole = static_cast<unsigned>(value);
  for (std::size_t i = kRecordNumberWidth; i-- > 0; whole /= 10) field[i] = static_cast<char>('0' + whole % 10);
}

// The key length that record length `length` gives, or nothing when no index
// node has that length.
std::optional<std::size_t> keyLengthOf(double length) {
  if (!(length > 0) || std::floor(length) != length) return std::nullopt;
  auto whole = static_cast<std::size_t>(length);
  if (whole % kEntriesPerNode != 0 || whole / kEntriesPerNode <= kEntryOverhead) return std::nullopt;
  return whole / kEntriesPerNode - kEntryOverhead;
}

// The length in bytes of the open index file (failure 52 when it is not open).
std::uint64_t indexLength(double number) {
  return systemCall([&] { return platform::openFileLength(S().NUMEROFILE[toInt16(number)]); });
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
        quick_(keyLength >= kHead && static_cast<unsigned char>(wanted.front()) < static_cast<unsigned char>(kHighValue)),
        wantedHead_(quick_ ? head(wanted_) : 0) {}

  // Whether the key at `key` is a used one (it does not begin with the high
  // value) not greater than the wanted key. A wanted key that begins with
  // a character below the high value is below every key that begins with
  // it.
  bool usedAndNotGreater(const char* key) const {
    if (!quick_) {
      return key[0] != kHighValue && std::string_view(key, keyLength_) <= std::string_view(wanted_, keyLength_);
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

// One node as read or built during a call: its text, its record, its level,
// how many entries are used (counted when the whole node is checked, before
// a change), and the entry chosen for the key of the call.
// `onFile` is what the file holds at the node's record, as far as the call
// knows: nothing yet (a new node), the node's text (as read, or as last
// written), or `held`, the text kept before the node's first change.
struct Node {
  enum class OnFile { kUnknown, kText, kHeld };
  std::string text;
  double record = 0;
  char level = kRootLevel;
  int used = 0;
  int chosen = 1;
  OnFile onFile = OnFile::kUnknown;
  std::string held;
};

// The open index file of one call, with the sizes its record length gives.
class IndexFile {
 public:
  // `fileLength`: the length of the open index file, in bytes, for the
  // operations that write; without it (a search, a next key) a node past
  // the end of the file is found by its read.
  IndexFile(double number, std::size_t keyLength, std::optional<std::uint64_t> fileLength)
      : number_(number),
        keyLength_(keyLength),
        entryLength_(keyLength + kEntryOverhead),
        nodeLength_(entryLength_ * kEntriesPerNode),
        highValue_(keyLength, kHighValue),
        records_(fileLength ? static_cast<double>(*fileLength / nodeLength_) : kMaxRecordNumber),
        reader_(number) {}

  // Whether the file's nodes are read straight from its handle (the file
  // is open with a record buffer of its length).
  bool direct() const { return reader_.direct(); }

  double fileNumber() const { return number_; }

  // Asks the file's length, for the records() of a call made without it.
  void askLength() { records_ = static_cast<double>(indexLength(number_) / nodeLength_); }

  // Checks the child of every used entry of `node` (read whole) against
  // the file's nodes.
  void checkChildren(const Node& node) const {
    for (int entry = 1; entry <= node.used; ++entry) number(node, entry);
  }

  std::size_t keyLength() const { return keyLength_; }
  const std::string& highValue() const { return highValue_; }

  // The number of whole nodes in the file (its length / L, kept up to date
  // by the writes of this call); without the file's length, the most that
  // six digits can name.
  double records() const { return records_; }

  // --- Entries of a node ---
  std::string_view key(const Node& node, int entry) const {
    return std::string_view(node.text).substr(offset(entry), keyLength_);
  }
  char levelDigit(const Node& node, int entry) const { return node.text[offset(entry) + keyLength_]; }
  std::string_view numberField(const Node& node, int entry) const {
    return std::string_view(node.text).substr(offset(entry) + keyLength_ + kLevelDigitWidth,
                                              kRecordNumberWidth);
  }
  // The record number of a used entry that the operation follows, checked
  // as it is followed: the node's level digit, six digits and, above the
  // leaves, a child inside the file.
  double number(const Node& node, int entry) const {
    const char* fields = node.text.data() + offset(entry) + keyLength_;
    if (fields[0] != node.level) damaged(node.record, "livello errato nell'elemento " + std::to_string(entry));
    std::optional<double> value = digitsValue(std::string_view(fields + kLevelDigitWidth, kRecordNumberWidth));
    if (!value) damaged(node.record, "numero non di sei cifre nell'elemento " + std::to_string(entry));
    if (node.level != kLeafLevel && !(*value >= 1 && *value <= records())) {
      damaged(node.record, "elemento " + std::to_string(entry) + " fuori dal file");
    }
    return *value;
  }
  std::string firstKey(const Node& node) const { return std::string(key(node, 1)); }

  std::string entryText(std::string_view key, char level, double number) const {
    std::string text(key);
    text += level;
    text.resize(entryLength_);
    putSixDigits(text.data() + keyLength_ + kLevelDigitWidth, number);
    return text;
  }
  std::string freeEntry(char level) const { return highValue_ + level + kFreeRecordNumber; }
  // A node whose entries are `used` (whole entries, in order) and free ones after.
  Node buildNode(char level, double record, std::string_view used) const {
    Node node;
    node.text = used;
    node.record = record;
    node.level = level;
    node.used = static_cast<int>(used.size() / entryLength_);
    while (node.text.size() < nodeLength_) node.text += freeEntry(level);
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
    if (!tryRead(record, level, node)) damaged(record, "fine del file");
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
    if (node.text.size() != nodeLength_) damaged(record, "lunghezza del nodo");
    if (node.level != kRootLevel && isUsed(node, kEntriesPerNode)) damaged(node.record, "nodo senza elementi liberi");
    if (node.level != kRootLevel && !isUsed(node, 1)) damaged(node.record, "nodo vuoto");
    return true;
  }

  // Checks every entry of a node that the operation will change, and counts
  // its used entries: level digits, six-digit numbers, children inside the
  // file (as far as the call knows its length), no used entry after a free
  // one, free entries in their exact form.
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
    return entry <= kEntriesPerNode && node.text[offset(entry)] != kHighValue;
  }

  // The entry for `key`: the one with the greatest key not greater than it,
  // or entry 1 when every key is greater. Counts the used keys not greater
  // than `wanted` by halving over the whole node (the used keys ascend, and
  // the free ones count as greater); in a node whose keys do not ascend,
  // the entry is still one from 1 to 128.
  int choose(const Node& node, std::string_view wanted) const {
    const KeyOrder order(wanted, keyLength_);
    const char* keys = node.text.data();
    std::size_t base = 0;
    for (std::size_t n = kEntriesPerNode; n > 1;) {
      const std::size_t half = n / 2;
      base = order.usedAndNotGreater(keys + (base + half) * entryLength_) ? base + half : base;
      n -= half;
    }
    const std::size_t count = base + (order.usedAndNotGreater(keys + base * entryLength_) ? 1 : 0);
    return std::max(static_cast<int>(count), 1);
  }

  // Puts `entry` at the chosen place: after it when its key is greater,
  // otherwise in its place; the entries from there on move one to the right
  // into the first free entry. The node must have a free entry.
  void insert(Node& node, const std::string& entry) const {
    keepOnFile(node);
    int at = std::string_view(entry).substr(0, keyLength_) > key(node, node.chosen) ? node.chosen + 1
                                                                                     : node.chosen;
    char* base = node.text.data();
    std::memmove(base + offset(at + 1), base + offset(at), offset(node.used + 1) - offset(at));
    std::memcpy(base + offset(at), entry.data(), entryLength_);
    ++node.used;
  }

  // Removes the chosen entry: the entries after it, up to and including the
  // first free entry, move one to the left. A full node gets a free entry in
  // its last place.
  void remove(Node& node) const {
    keepOnFile(node);
    char* base = node.text.data();
    int last = node.used < kEntriesPerNode ? node.used + 1 : node.used;
    std::memmove(base + offset(node.chosen), base + offset(node.chosen + 1),
                 offset(last + 1) - offset(node.chosen + 1));
    if (node.used == kEntriesPerNode) {
      std::string free = freeEntry(node.level);
      std::memcpy(base + offset(kEntriesPerNode), free.data(), entryLength_);
    }
    --node.used;
  }

  void setKey(Node& node, int entry, std::string_view newKey) const {
    keepOnFile(node);
    node.text.replace(offset(entry), keyLength_, newKey);
  }

  // Splits a full node: entries 1 to 64 stay at its record, entries 65 to
  // 128 go to a new node appended at the end of the file; both are written
  // and filled with free entries. Returns the new node.
  Node split(Node& node) {
    std::string_view text(node.text);
    Node right = buildNode(node.level, records() + 1,
                           text.substr(offset(kSplitHalf + 1), offset(kEntriesPerNode + 1) - offset(kSplitHalf + 1)));
    keepOnFile(node);
    const std::string free = freeEntry(node.level);
    for (int entry = kSplitHalf + 1; entry <= kEntriesPerNode; ++entry) {
      node.text.replace(offset(entry), entryLength_, free);
    }
    node.used = kSplitHalf;
    write(node);
    write(right);
    return right;
  }

  [[noreturn]] void damaged(double record, const std::string& what) const {
    raiseFailure(err::kDamagedIndex,
                 "file " + decimalText(number_) + ", record " + decimalText(record) + ": " + what);
  }

 private:
  std::size_t offset(int entry) const { return static_cast<std::size_t>(entry - 1) * entryLength_; }

  // Before the first change of a node read from the file, keeps what the
  // file holds for it.
  static void keepOnFile(Node& node) {
    if (node.onFile != Node::OnFile::kText) return;
    node.held = node.text;
    node.onFile = Node::OnFile::kHeld;
  }

  int usedEntries(const Node& node) const {
    std::size_t first = node.text.find(kHighValue);
    if (first == std::string::npos) return kEntriesPerNode;
    if (first % entryLength_ != 0) damaged(node.record, "carattere 252 dentro una chiave");
    return static_cast<int>(first / entryLength_);
  }

  // What an operation relies on: level digits, six-digit numbers, children
  // inside the file, no used entry after a free one, and a free entry in
  // every node but the root.
  void check(const Node& node) const {
    if (node.level != kRootLevel && node.used == kEntriesPerNode) damaged(node.record, "nodo senza elementi liberi");
    if (node.level != kRootLevel && node.used == 0) damaged(node.record, "nodo vuoto");
    const double fileRecords = node.level == kLeafLevel ? 0 : records();
    const char* text = node.text.data();
    if (!usedEntriesSound(node)) {
      for (int entry = 1; entry <= node.used; ++entry) {
        const char* fields = text + offset(entry) + keyLength_;
        if (fields[0] != node.level) damaged(node.record, "livello errato nell'elemento " + std::to_string(entry));
        std::optional<double> value = digitsValue(std::string_view(fields + kLevelDigitWidth, kRecordNumberWidth));
        if (!value) damaged(node.record, "numero non di sei cifre nell'elemento " + std::to_string(entry));
        if (node.level != kLeafLevel && !(*value >= 1 && *value <= fileRecords)) {
          damaged(node.record, "elemento " + std::to_string(entry) + " fuori dal file");
        }
      }
    }
    // Free entries in their exact form (the usual case) are compared at
    // once: the first with the free entry, every later one with the one
    // before it.
    const std::size_t freeFrom = offset(node.used + 1);
    if (freeFrom == nodeLength_) return;
    const char* free = text + freeFrom;
    if (std::memcmp(free, highValue_.data(), keyLength_) == 0 && free[keyLength_] == node.level &&
        std::memcmp(free + keyLength_ + kLevelDigitWidth, kFreeRecordNumber, kRecordNumberWidth) == 0 &&
        std::memcmp(free, free + entryLength_, nodeLength_ - freeFrom - entryLength_) == 0) {
      return;
    }
    for (int entry = node.used + 1; entry <= kEntriesPerNode; ++entry) {
      if (std::memcmp(text + offset(entry), highValue_.data(), keyLength_) != 0) {
        damaged(node.record, "elemento " + std::to_string(entry) + " usato dopo un elemento libero");
      }
    }
  }

  // The quick form of the check of the used entries above: whether every
  // one has the node's level digit and six digits and, above the leaves, a
  // child inside the file. It branches on nothing but the node's size, so
  // that the compiler can check many bytes at once; when it says no, the
  // entries are checked one by one to name the fault.
  bool usedEntriesSound(const Node& node) const {
    const FieldMasks& masks = fieldMasks();
    const auto* text = reinterpret_cast<const unsigned char*>(node.text.data());
    const auto* levelMask = reinterpret_cast<const unsigned char*>(masks.level.data());
    const auto* digitMask = reinterpret_cast<const unsigned char*>(masks.digit.data());
    const auto level = static_cast<unsigned char>(node.level);
    unsigned char bad = 0;
    for (std::size_t i = 0, end = offset(node.used + 1); i < end; ++i) {
      const unsigned char byte = text[i];
      const unsigned char nonDigit = static_cast<unsigned char>(byte - '0') > 9 ? 0xFF : 0;
      bad |= static_cast<unsigned char>((levelMask[i] & (byte ^ level)) | (digitMask[i] & nonDigit));
    }
    if (bad != 0) return false;
    if (node.level == kLeafLevel) return true;
    // Above the leaves, the numbers (digits by now) compare as text: from
    // "000001" to the number of nodes in the file.
    const std::uint64_t bound = numberText(std::min(records(), kMaxRecordNumber));
    const std::uint64_t one = numberText(1);
    bool sound = true;
    for (int entry = 1; entry <= node.used; ++entry) {
      std::uint64_t number = 0;
      for (std::size_t i = 0; i < kRecordNumberWidth; ++i) {
        number = number << 8 | text[offset(entry) + keyLength_ + kLevelDigitWidth + i];
      }
      sound &= (number >= one) & (number <= bound);
    }
    return sound;
  }

  // The six characters of the record number `value` (0 to 999,999) as one
  // number that orders as the text does.
  static std::uint64_t numberText(double value) {
    char field[kRecordNumberWidth];
    putSixDigits(field, value);
    std::uint64_t text = 0;
    for (char c : field) text = text << 8 | static_cast<unsigned char>(c);
    return text;
  }

  // For each byte of a node: 0xFF where an entry's level digit stands (in
  // `level`) or one of its six digits (in `digit`), 0 elsewhere; made once
  // per key length.
  struct FieldMasks {
    std::string level;
    std::string digit;
  };
  const FieldMasks& fieldMasks() const {
    static std::size_t madeFor = 0;
    static FieldMasks masks;
    if (madeFor != keyLength_) {
      masks.level.assign(nodeLength_, '\0');
      masks.digit.assign(nodeLength_, '\0');
      for (int entry = 1; entry <= kEntriesPerNode; ++entry) {
        const std::size_t fields = offset(entry) + keyLength_;
        masks.level[fields] = '\xFF';
        for (std::size_t i = 1; i <= kRecordNumberWidth; ++i) masks.digit[fields + i] = '\xFF';
      }
      madeFor = keyLength_;
    }
    return masks;
  }


  double number_;
  std::size_t keyLength_;
  std::size_t entryLength_;
  std::size_t nodeLength_;
  std::string highValue_;
  double records_;
  mutable RecordReader reader_;
};

// --- The descent -------------------------------------------------------------

// The nodes read on the way from the root to the leaf of a key, each with
// its chosen entry. `empty` when the root is empty (only the root was read).
struct Path {
  Node root;
  Node branch;
  Node leaf;
  bool empty = false;
};

// The one workspace of the process, whose node buffers keep their room from
// call to call (the nodes themselves are read anew at every call: the
// suite's other programs write the index).
Path& workspace() {
  static Path path;
  return path;
}

// Reads the rest of the path of `key`, below the root already read into
// `path`.
void descend(const IndexFile& index, Path& path, std::string_view key) {
  path.empty = !index.isUsed(path.root, 1);
  if (path.empty) return;
  path.root.chosen = index.choose(path.root, key);
  index.read(index.number(path.root, path.root.chosen), kBranchLevel, path.branch);
  path.branch.chosen = index.choose(path.branch, key);
  index.read(index.number(path.branch, path.branch.chosen), kLeafLevel, path.leaf);
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
  return record >= 1 && record <= kMaxRecordNumber && std::floor(record) == record;
}

bool holdsHighCharacters(std::string_view key) {
  return std::any_of(key.begin(), key.end(), [](char c) { return static_cast<unsigned char>(c) >= 252; });
}

// The first insertion into an empty index: records 1 to 3 anew.
void writeFirstPath(IndexFile& index, std::string_view key, double record) {
  index.write(index.buildNode(kRootLevel, kRootRecord, index.entryText(key, kRootLevel, kFirstBranchRecord)));
  index.write(index.buildNode(kBranchLevel, kFirstBranchRecord, index.entryText(key, kBranchLevel, kFirstLeafRecord)));
  index.write(index.buildNode(kLeafLevel, kFirstLeafRecord, index.entryText(key, kLeafLevel, record)));
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
  const bool leafSplits = leaf.used + 1 == kEntriesPerNode;
  const bool newFirstKey = leaf.chosen == 1 && !(key > index.key(leaf, 1));
  if (newFirstKey || leafSplits) index.checkWhole(branch);
  const bool branchSplits = leafSplits && branch.used + 1 == kEntriesPerNode;
  if ((newFirstKey && branch.chosen == 1) || branchSplits) index.checkWhole(root);

  // Refuse an insertion the file cannot hold: a 129th root entry, or new
  // nodes past the six-digit record numbers. A split appends its new nodes:
  // the file's length is asked, and the children of the second-level node
  // it changes are checked against it.
  if (branchSplits && root.used == kEntriesPerNode) return refuse(kMessageFull + decimalText(index.fileNumber()));
  if (leafSplits) {
    index.askLength();
    index.checkChildren(branch);
    if (index.records() + 1 + (branchSplits ? 1 : 0) > kMaxRecordNumber) {
      return refuse(kMessageFull + decimalText(index.fileNumber()));
    }
  }
  std::string leafFirst = index.firstKey(leaf);
  index.insert(leaf, index.entryText(key, kLeafLevel, record));
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
  index.insert(branch, index.entryText(index.firstKey(newLeaf), kBranchLevel, newLeaf.record));
  index.write(branch);

  if (!branchSplits) return 0;
  Node newBranch = index.split(branch);
  index.insert(root, index.entryText(index.firstKey(newBranch), kRootLevel, newBranch.record));
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
      index.read(index.number(root, root.chosen), kBranchLevel, branch);
      branch.chosen = 1;
    }
    index.read(index.number(branch, branch.chosen), kLeafLevel, leaf);
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
  index.write(index.buildNode(kRootLevel, kRootRecord, {}));
  return 0;
}

// Opens the index for the initialisation, keeping the context values that
// the path resolution would consume.
void openKeepingContext(double number) {
  State& s = S();
  std::string company = s.DITTAOPEN, year = s.ANNOOPEN, region = s.REGIONEOPEN;
  std::string province = s.PROVINCIAOPEN, drive = s.DRIVEOPEN;
  FAIOPEN(number);
  s.DITTAOPEN = company;
  s.ANNOOPEN = year;
  s.REGIONEOPEN = region;
  s.PROVINCIAOPEN = province;
  s.DRIVEOPEN = drive;
}

// The checks of the key made before any operation but the initialisation
// (after the check that the file is not empty); the message of the first
// that fails.
std::optional<std::string> refusalOfKey(double number, const std::string& key, double code) {
  if (key.empty()) return std::string(kMessageNoKey);
  if (static_cast<double>((key.size() + kEntryOverhead) * kEntriesPerNode) != S().LUNGREC[toInt16(number)]) {
    return std::string(kMessageKeyLength);
  }
  if (TRIM(key).empty() && code != kIsamNext) return std::string(kMessageBlankKey);
  return std::nullopt;
}


// --- The structural check ----------------------------------------------------

// Walks an index from the root and collects, as texts, every way in which it
// departs from the format above. Reads nodes through the record layer and
// writes nothing.
class IndexChecker {
 public:
  IndexChecker(const IndexFile& index, double number, double records)
      : index_(index), number_(number), records_(records) {}

  IndexWalk run() {
    visited_.assign(static_cast<std::size_t>(records_) + 1, false);
    visited_[static_cast<std::size_t>(kRootRecord)] = true;
    std::optional<Node> root = load(kRootRecord, kRootLevel);
    if (!root) return std::move(walk_);
    checkEntries(*root);
    for (int entry = 1; entry <= root->used; ++entry) visitChild(*root, entry, kBranchLevel);
    for (std::size_t r = 1; r < visited_.size(); ++r) {
      if (!visited_[r]) walk_.unreached.push_back(static_cast<double>(r));
    }
    return std::move(walk_);
  }

 private:
  std::optional<Node> load(double record, char level) {
    if (LEGGIREC(number_, record) != 0) {
      fault(record, "fine del file");
      return std::nullopt;
    }
    Node node;
    node.text = S().BUFFERREC[toInt16(number_)];
    node.record = record;
    node.level = level;
    return node;
  }

  // The entries of one node: a used prefix of ascending keys with the
  // node's level digit and six-digit numbers, then free entries in their
  // exact form. Sets the node's count of used entries.
  void checkEntries(Node& node) {
    bool freeSeen = false;
    node.used = kEntriesPerNode;
    for (int entry = 1; entry <= kEntriesPerNode; ++entry) {
      std::string_view key = index_.key(node, entry);
      if (!freeSeen && key.front() == kHighValue) {
        freeSeen = true;
        node.used = entry - 1;
      }
      if (freeSeen) {
        if (key != index_.highValue()) {
          fault(node.record, entry, "elemento usato dopo un elemento libero");
        } else if (index_.levelDigit(node, entry) != node.level || index_.numberField(node, entry) != kFreeRecordNumber) {
          fault(node.record, entry, "elemento libero non nella forma prevista");
        }
        continue;
      }
      if (key.find(kHighValue) != std::string_view::npos) fault(node.record, entry, "chiave con carattere 252");
      if (index_.levelDigit(node, entry) != node.level) {
        fault(node.record, entry, std::string("livello ") + index_.levelDigit(node, entry) + " invece di " + node.level);
      }
      std::optional<double> value = digitsValue(index_.numberField(node, entry));
      if (!value) {
        fault(node.record, entry, "numero non di sei cifre");
      } else if (node.level == kLeafLevel && *value == 0) {
        fault(node.record, entry, "numero di record dati 0");
      }
      if (entry > 1 && !(key > index_.key(node, entry - 1))) {
        fault(node.record, entry, "chiave non maggiore della precedente");
      }
    }
    if (node.level != kRootLevel && node.used == kEntriesPerNode) fault(node.record, "nodo senza elementi liberi");
  }

  // The child of `parent`'s entry: inside the file, reached once, of the
  // level below, its first key the entry's key; then its own children, or
  // for a leaf the order of its keys after the previous leaf's.
  void visitChild(const Node& parent, int entry, char level) {
    std::optional<double> record = digitsValue(index_.numberField(parent, entry));
    if (!record) return;
    if (!(*record >= 1 && *record <= records_)) {
      fault(parent.record, entry, "record " + decimalText(*record) + " fuori dal file");
      return;
    }
    auto slot = static_cast<std::size_t>(*record);
    if (visited_[slot]) {
      fault(parent.record, entry, "record " + decimalText(*record) + " raggiunto due volte");
      return;
    }
    visited_[slot] = true;
    std::optional<Node> child = load(*record, level);
    if (!child) return;
    checkEntries(*child);
    if (child->used == 0) {
      fault(child->record, "nodo vuoto");
      return;
    }
    if (index_.key(parent, entry) != index_.key(*child, 1)) {
      fault(parent.record, entry, "chiave diversa dalla prima chiave del record " + decimalText(*record));
    }
    if (level == kBranchLevel) {
      for (int e = 1; e <= child->used; ++e) visitChild(*child, e, kLeafLevel);
      return;
    }
    for (int e = 1; e <= child->used; ++e) {
      if (std::optional<double> data = digitsValue(index_.numberField(*child, e))) {
        walk_.entries.push_back({std::string(index_.key(*child, e)), *data, child->record, e});
      }
    }
    if (!lastLeafKey_.empty() && !(index_.key(*child, 1) > lastLeafKey_)) {
      fault(child->record, 1, "chiave non maggiore dell'ultima chiave della foglia precedente");
    }
    lastLeafKey_ = std::string(index_.key(*child, child->used));
  }

  void fault(double record, const std::string& what) { walk_.faults.push_back({record, 0, what}); }
  void fault(double record, int entry, const std::string& what) { walk_.faults.push_back({record, entry, what}); }

  const IndexFile& index_;
  double number_;
  double records_;
  std::vector<bool> visited_;
  std::string lastLeafKey_;
  IndexWalk walk_;
};

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
  Path& path = workspace();

  // An operation that nothing refuses does not ask the file's length (an
  // insertion asks it only to split a node): the empty file shows as a
  // root that cannot be read. Asking the length at every call would also
  // cost every later write of the file an update of its times on disk.
  if (knownCode && !refusal) {
    IndexFile index(number, key.size(), std::nullopt);
    if (index.direct()) {
      if (!index.tryRead(kRootRecord, kRootLevel, path.root)) {
        if (indexLength(number) == 0) return refuse(kMessageEmptyFile + decimalText(number));
        index.damaged(kRootRecord, "file pi\xF9 corto di un nodo");
      }
      return operate(index, path, code, key, record);
    }
  }

  // The refusals, in their order: the empty file, the key, the code, the
  // insertion's record and key.
  const std::uint64_t length = indexLength(number);
  if (length == 0) return refuse(kMessageEmptyFile + decimalText(number));
  if (std::optional<std::string> keyRefusal = refusalOfKey(number, key, code)) return refuse(*keyRefusal);
  IndexFile index(number, key.size(), length);
  if (index.records() < kRootRecord) index.damaged(kRootRecord, "file pi\xF9 corto di un nodo");
  if (!knownCode) return refuse(kMessageBadCode + decimalText(code));
  if (refusal) return refuse(*refusal);
  index.read(kRootRecord, kRootLevel, path.root);
  return operate(index, path, code, key, record);
}

IndexWalk walkIndex(double number) {
  int slot = toInt16(number);
  std::optional<std::size_t> keyLength = keyLengthOf(S().LUNGREC[slot]);
  if (!keyLength) {
    return {{{0, 0, "lunghezza del record " + decimalText(S().LUNGREC[slot]) + " non adatta a un indice"}}, {}, {}};
  }
  IndexFile index(number, *keyLength, indexLength(number));
  if (index.records() < kRootRecord) return {{{0, 0, "file pi\xF9 corto di un nodo"}}, {}, {}};
  return IndexChecker(index, number, index.records()).run();
}

std::vector<std::string> checkIndex(double number) {
  std::vector<std::string> texts;
  for (const IndexFault& fault : walkIndex(number).faults) {
    std::string text;
    if (fault.node != 0) text = "record " + decimalText(fault.node);
    if (fault.entry != 0) text += ", elemento " + std::to_string(fault.entry);
    texts.push_back(text.empty() ? fault.what : text + ": " + fault.what);
  }
  return texts;
}

std::optional<std::size_t> indexKeyLength(double recordLength) { return keyLengthOf(recordLength); }

void initialiseOpenIndex(double number) {
  std::optional<std::size_t> keyLength = keyLengthOf(S().LUNGREC[toInt16(number)]);
  if (!keyLength) raiseFailure(err::kBadRecordLength, "file " + decimalText(number));
  IndexFile index(number, *keyLength, 0);
  index.write(index.buildNode(kRootLevel, kRootRecord, {}));
}

}  // namespace vt
