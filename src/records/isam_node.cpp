#include "records/isam_node.h"

#include <algorithm>

#include "core/failure.h"
#include "core/state.h"
#include "platform/files.h"

namespace vt::isam {
namespace {

// The six characters of the record number `value` (0 to 999,999) as one
// number that orders as the text does.
std::uint64_t numberText(double value) {
  const std::string field = indexEntryText({}, kIndexLeafLevel, value).substr(kIndexLevelDigitWidth);
  std::uint64_t text = 0;
  for (char c : field) text = text << 8 | static_cast<unsigned char>(c);
  return text;
}

}  // namespace

IndexFault nodeFaultOf(const Node& node, bool lastUsed) {
  return {node.record, 0, lastUsed ? "nodo senza elementi liberi" : "nodo vuoto"};
}

IndexFault entryFaultOf(const Node& node, int entry, char level, std::optional<double> number) {
  if (level != node.level) return {node.record, entry, std::string("livello ") + level + " invece di " + node.level};
  if (!number) return {node.record, entry, "numero non di sei cifre"};
  return {node.record, entry, "record " + decimalText(*number) + " fuori dal file"};
}

std::uint64_t indexLength(double number) {
  return systemCall([&] { return platform::openFileLength(S().NUMEROFILE[toInt16(number)]); });
}

void FieldMasks::makeFor(const NodeLayout& layout) {
  if (keyLength == layout.keyLength()) return;
  level.assign(layout.nodeLength(), '\0');
  digit.assign(layout.nodeLength(), '\0');
  for (int entry = 1; entry <= kIndexEntriesPerNode; ++entry) {
    const std::size_t fields = layout.offset(entry) + layout.keyLength();
    level[fields] = '\xFF';
    for (std::size_t i = 1; i <= kIndexRecordNumberWidth; ++i) digit[fields + i] = '\xFF';
  }
  keyLength = layout.keyLength();
}

bool usedEntriesSound(const NodeLayout& layout, const Node& node, double records, const FieldMasks& masks) {
  const auto* text = reinterpret_cast<const unsigned char*>(node.text.data());
  const auto* levelMask = reinterpret_cast<const unsigned char*>(masks.level.data());
  const auto* digitMask = reinterpret_cast<const unsigned char*>(masks.digit.data());
  const auto level = static_cast<unsigned char>(node.level);
  unsigned char bad = 0;
  for (std::size_t i = 0, end = layout.offset(node.used + 1); i < end; ++i) {
    const unsigned char byte = text[i];
    const unsigned char nonDigit = static_cast<unsigned char>(byte - '0') > 9 ? 0xFF : 0;
    bad |= static_cast<unsigned char>((levelMask[i] & (byte ^ level)) | (digitMask[i] & nonDigit));
  }
  if (bad != 0) return false;
  if (node.level == kIndexLeafLevel) return true;
  // Above the leaves, the numbers (digits by now) compare as text: from
  // "000001" to the number of nodes in the file.
  const std::uint64_t bound = numberText(std::min(records, kIndexMaxRecordNumber));
  const std::uint64_t one = numberText(1);
  bool sound = true;
  for (int entry = 1; entry <= node.used; ++entry) {
    std::uint64_t number = 0;
    const std::size_t digits = layout.offset(entry) + layout.keyLength() + kIndexLevelDigitWidth;
    for (std::size_t i = 0; i < kIndexRecordNumberWidth; ++i) number = number << 8 | text[digits + i];
    sound &= (number >= one) & (number <= bound);
  }
  return sound;
}

}  // namespace vt::isam
