// The companion record of an employee (file 97): record N of the companion
// file belongs to employee record N of the employee file.
//
//   Layout (positions from 1; the record length is the file's, from
//   "WKBASE.DAT")
//   characters   1- 45  characters 1 to 45 of the employee record as written
//   characters  46-100  blanks
//   characters 101-     the digit 0
#pragma once

#include <cstddef>
#include <string>

#include "util/text.h"

namespace vt {

inline constexpr std::size_t kCompanionHeadLength = 45;
inline constexpr std::size_t kCompanionHeadPart = 100;
inline constexpr char kCompanionFill = '0';

// The companion record, `length` long, of the employee record `employeeRecord`.
inline std::string companionRecord(const std::string& employeeRecord, std::size_t length) {
  std::string record(length, kCompanionFill);
  overwrite(record, 1, fitRight(LEFT(employeeRecord, kCompanionHeadLength), kCompanionHeadPart));
  return record;
}

}  // namespace vt
