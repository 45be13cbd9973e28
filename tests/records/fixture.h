// An installation for the record layer's tests: the archives directory
// "C:\ARCHIVI" under a temporary drives root, with a file table.
#pragma once

#include <gtest/gtest.h>

#include "core/state.h"
#include "file_table.h"
#include "records/files.h"
#include "scripted_dialogs.h"
#include "temp_install.h"

namespace vt::testing {

class RecordFilesTest : public ::testing::Test {
 protected:
  static constexpr const char* kArchives = "drives/C/ARCHIVI/";
  void SetUp() override { S().PERARK = "C:\\ARCHIVI"; }
  void writeTable(const std::map<int, FileRow>& rows) { writeArchive("WKBASE.DAT", baseTable(rows)); }
  void writeArchive(const std::string& name, const std::string& bytes) { folder.write(kArchives + name, bytes); }
  std::string archive(const std::string& name) const { return folder.read(kArchives + name); }
  // The text of box `i`, or "" when fewer were shown.
  std::string box(std::size_t i) const { return i < dialogs.boxes().size() ? dialogs.boxes()[i].text : ""; }

  TempFolder folder;
  ScriptedDialogs dialogs;
  ThrowingEndHook endHook;
};

}  // namespace vt::testing
