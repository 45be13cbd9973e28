// Builders for the suite's file table "WKBASE.DAT" in tests.
#pragma once

#include <map>
#include <string>

namespace vt::testing {

struct FileRow {
  std::string nameTemplate;  // e.g. "WKDITTE.DAT", "###\\WKDIP.DAT"
  int recordLength = 0;
};

// One 79-byte row: three blanks, the template in 29 characters, the record
// length right-aligned in 5 characters, blanks to the end.
std::string baseRow(const FileRow& row);

// A whole table: row N for each file number N given, blank rows between.
std::string baseTable(const std::map<int, FileRow>& rows);

}  // namespace vt::testing
