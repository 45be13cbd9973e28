// An installation for the record layer's tests: the archives directory
// "C:\ARCHIVI" under a temporary drives root, with a file table.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/state.h"
#include "file_table.h"
#include "scripted_dialogs.h"
#include "temp_install.h"

namespace vt::testing {

class RecordFilesTest : public ::testing::Test {
 protected:
  static constexpr const char* kArchives = "drives/C/ARCHIVI/";

  void SetUp() override { S().PERARK = "C:\\ARCHIVI"; }

  void writeTable(const std::map<int, FileRow>& rows) { folder.write(std::string(kArchives) + "WKBASE.DAT", baseTable(rows)); }
  void writeArchive(const std::string& name, const std::string& bytes) { folder.write(kArchives + name, bytes); }
  std::string archive(const std::string& name) const { return folder.read(kArchives + name); }
  bool archiveExists(const std::string& name) const { return folder.exists(kArchives + name); }

  // The text of the first box shown, or "" when none was.
  std::string firstBox() const { return dialogs.boxes().empty() ? std::string() : dialogs.boxes().front().text; }

  TempFolder folder;
  ScriptedDialogs dialogs;
  ThrowingEndHook endHook;
};

}  // namespace vt::testing
