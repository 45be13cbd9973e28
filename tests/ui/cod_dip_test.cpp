// COD_DIP$: the files it opens, the parameters it leaves for the key change
// dialog, the code it returns, and the end of the program without a code.
#include "ui/cod_dip.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/state.h"
#include "file_table.h"
#include "records/isam.h"
#include "scripted_dialogs.h"
#include "startup/main_program.h"
#include "temp_install.h"
#include "ui/key_change.h"
#include "util/text.h"

namespace vt {
namespace {

using testing::ScriptedDialogs;
using testing::ThrowingEndHook;

constexpr int kCompanyRecordLength = 50;
constexpr int kIndexRecordLength = (10 + 7) * 128;

class CodDip : public ::testing::Test {
 protected:
  void SetUp() override {
    S().PERARK = "C:\\ARCHIVI";
    folder.write("drives/C/ARCHIVI/WKBASE.DAT",
                 testing::baseTable({{1, {"WKDITTE.DAT", kCompanyRecordLength}},
                                     {2, {"WKDIPE.DAT", 80}},
                                     {7, {"WKDIPK.DAT", kIndexRecordLength}},
                                     {30, {"WKDIPK30.DAT", kIndexRecordLength}}}));
    folder.write("drives/C/ARCHIVI/WKDITTE.DAT", fitRight("00001ROSSI", kCompanyRecordLength));
  }

  // What the window saw when it opened: the files open, the parameters.
  struct Seen {
    bool companiesOpen = false;
    bool employeesOpen = false;
    bool index7Open = false;
    bool index30Open = false;
    int mode = -1;
    int indexFile = -1;
  };

  // The window notes what it sees, then the operator types `company`,
  // `subCompany` and `employee` and presses "&Conferma" (or "&Uscita" when
  // `leave` is set).
  void script(const std::string& company, const std::string& subCompany, const std::string& employee,
              bool leave = false) {
    auto seen = std::make_shared<Seen>();
    dialogs.onWindow("CODNUO", [=](WindowPresenter& w) {
      auto& window = dynamic_cast<Codnuo&>(w);
      const State& s = S();
      *seen = {s.NUMEROFILE[1] != 0, s.NUMEROFILE[2] != 0, s.NUMEROFILE[7] != 0, s.NUMEROFILE[30] != 0,
               s.TABPARAM[kParamCheckMode], s.TABPARAM[kParamKeyIndexFile]};
      const std::string parts[] = {company, subCompany, employee};
      for (int i = 0; i < Codnuo::kBoxes; ++i) {
        window.boxFocused(i);
        for (char c : parts[i]) window.boxCharacter(i, c);
      }
      if (leave) {
        window.quit();
      } else {
        window.confirm();
      }
    });
    seenLater = seen;
  }

  testing::TempFolder folder;
  ScriptedDialogs dialogs;
  ThrowingEndHook endHook;
  std::shared_ptr<Seen> seenLater;
};

TEST_F(CodDip, OpensTheLiveFilesAndTheEmployeeIndex_AndReturnsTheNewCode) {
  script("1", "2", "345");
  std::int16_t mode = 0;
  double archive = 2;
  EXPECT_EQ(COD_DIP(mode, archive), "0010020345");
  EXPECT_EQ(dialogs.windowsShown(), std::vector<std::string>{"CODNUO"});
  EXPECT_TRUE(seenLater->companiesOpen);
  EXPECT_TRUE(seenLater->employeesOpen);
  EXPECT_TRUE(seenLater->index7Open);
  EXPECT_FALSE(seenLater->index30Open);
  EXPECT_EQ(seenLater->mode, 0);
  EXPECT_EQ(seenLater->indexFile, 7);
  EXPECT_EQ(S().TABPARAM[kParamKeyIndexFile], 7);
  EXPECT_EQ(S().TABTESTI[kKeyEntry], "0010020345");
}

TEST_F(CodDip, TheArchive29UsesIndex30_AndTheModeIsPassedOn) {
  script("1", "0", "9");
  std::int16_t mode = 2;
  double archive = 29;
  EXPECT_EQ(COD_DIP(mode, archive), "0010000009");
  EXPECT_TRUE(seenLater->index30Open);
  EXPECT_FALSE(seenLater->index7Open);
  EXPECT_EQ(seenLater->indexFile, 30);
  EXPECT_EQ(seenLater->mode, 2);
}

TEST_F(CodDip, LeavingTheDialogWithoutACodeEndsTheProgram) {
  setNormalEnd([] { FINEPROG(); });  // as MAIN installs it
  for (bool leave : {true, false}) {
    // "&Uscita", or "&Conferma" with sub-company and employee zero.
    script("5", "0", "0", leave);
    std::int16_t mode = 0;
    double archive = 2;
    try {
      COD_DIP(mode, archive);
      ADD_FAILURE() << "COD_DIP returned";
    } catch (const ProgramEnded& ended) {
      EXPECT_EQ(ended.reason, EndReason::kNormal);
    }
    EXPECT_EQ(S().NUMEROFILE[1], 0) << "every file closed";
    EXPECT_EQ(S().NUMEROFILE[7], 0);
    EXPECT_EQ(S().ULTIMEPROC[S().POSPROC], "FINEPROG");
  }
  EXPECT_TRUE(dialogs.boxes().empty());
  setNormalEnd(nullptr);
}

}  // namespace
}  // namespace vt
