#include "ui/archive_lines.h"

#include <algorithm>
#include <utility>

#include "core/state.h"
#include "util/text.h"

namespace vt {
namespace {

std::size_t entryAsCount(int entry) {
  std::int16_t value = S().TABPARAM[entry];
  return value > 0 ? static_cast<std::size_t>(value) : 0;
}

// The field of `record` at the TABPARAM position and length, padded with
// blanks to its length when the record ends inside it.
std::string field(std::string_view record, int posEntry, int lengthEntry) {
  std::size_t length = entryAsCount(lengthEntry);
  return fitRight(MID(record, entryAsCount(posEntry), length), length);
}

}  // namespace

std::string decorativeStrip() { return std::string(kStripLength, kStripCharacter); }

bool startsFree(std::string_view record) { return record.substr(0, kFreeMark.size()) == kFreeMark; }

bool isEmployeeArchive() { return S().TABPARAM[kParamKeyLength] == kEmployeeKeyLength; }

std::string standardLine(std::string_view record, int recordNumber) {
  if (isEmployeeArchive()) {
    return field(record, kParamDescriptionPosition, kParamDescriptionLength) + " " +
           zeroPad(std::to_string(recordNumber), kEmployeeNumberDigits);
  }
  return keyedLine(record);
}

std::string keyedLine(std::string_view record) {
  return field(record, kParamKeyPosition, kParamKeyLength) + " " +
         field(record, kParamDescriptionPosition, kParamDescriptionLength);
}

void ArchiveList::add(std::string line) {
  auto place = std::upper_bound(lines_.begin(), lines_.end(), line);
  int index = static_cast<int>(place - lines_.begin());
  lines_.insert(place, std::move(line));
  if (selected_ != kNone && index <= selected_) ++selected_;
}

void ArchiveList::removeAt(int index) {
  if (index < 0 || index >= size()) return;
  lines_.erase(lines_.begin() + index);
  if (selected_ == index) {
    selected_ = kNone;
  } else if (selected_ > index) {
    --selected_;
  }
}

void ArchiveList::clear() {
  lines_.clear();
  selected_ = kNone;
}

void ArchiveList::select(int index) { selected_ = (index >= 0 && index < size()) ? index : kNone; }

}  // namespace vt
