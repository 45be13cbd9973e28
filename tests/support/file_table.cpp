#include "file_table.h"

#include <algorithm>
#include <cstdio>

namespace vt::testing {

std::string baseRow(const FileRow& row) {
  std::string line(79, ' ');
  line.replace(3, std::min<std::size_t>(row.nameTemplate.size(), 29), row.nameTemplate.substr(0, 29));
  char length[8];
  std::snprintf(length, sizeof length, "%5d", row.recordLength);
  line.replace(32, 5, length);
  return line;
}

std::string baseTable(const std::map<int, FileRow>& rows) {
  if (rows.empty()) return {};
  std::string table(static_cast<std::size_t>(rows.rbegin()->first) * 79, ' ');
  for (const auto& [number, row] : rows) table.replace(static_cast<std::size_t>(number - 1) * 79, 79, baseRow(row));
  return table;
}

}  // namespace vt::testing
