#include "file_table.h"

#include "records/files.h"
#include "util/text.h"

namespace vt::testing {

std::string baseRow(const FileRow& row) {
  std::string line(kBaseRowLength, ' ');
  overwrite(line, kBaseTemplatePos, LEFT(row.nameTemplate, kBaseTemplateLength));
  overwrite(line, kBaseRecordLengthPos, RIGHT(std::string(kBaseRecordLengthLength, ' ') + std::to_string(row.recordLength), kBaseRecordLengthLength));
  return line;
}

std::string baseTable(const std::map<int, FileRow>& rows) {
  if (rows.empty()) return {};
  std::string table(static_cast<std::size_t>(rows.rbegin()->first * kBaseRowLength), ' ');
  for (const auto& [number, row] : rows) overwrite(table, static_cast<std::size_t>((number - 1) * kBaseRowLength + 1), baseRow(row));
  return table;
}

}  // namespace vt::testing
