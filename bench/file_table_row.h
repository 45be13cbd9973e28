// A row of the suite's file table "WKBASE.DAT" for the benchmarks' own
// installations: the name at byte 4, the record length right-aligned in bytes
// 33 to 37, blanks elsewhere.
#pragma once

#include <cstddef>
#include <string>

#include "records/files.h"

namespace vt::bench {

inline std::string fileTableRow(const std::string& name, std::size_t recordLength) {
  std::string row(kBaseRowLength, ' ');
  row.replace(kBaseTemplatePos - 1, name.size(), name);
  const std::string digits = std::to_string(recordLength);
  row.replace(kBaseRecordLengthPos - 1 + kBaseRecordLengthLength - digits.size(), digits.size(), digits);
  return row;
}

}  // namespace vt::bench
