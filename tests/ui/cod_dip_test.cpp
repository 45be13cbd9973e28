// COD_DIP: the check mode and the employee-key index it leaves to the key
// change dialog, and the code it hands back.
#include "ui/cod_dip.h"

#include <gtest/gtest.h>

#include "scripted_dialogs.h"
#include "temp_install.h"
#include "ui/key_change.h"

namespace vt {
namespace {

TEST(CodDip, TheArchive29UsesIndex30_AndTheCheckModeReachesTheDialog) {
  for (double archive : {2.0, 29.0}) {
    testing::TempFolder folder;
    testing::ScriptedDialogs dialogs;
    folder.installSample();
    S().PERARK = "C:\\PWELKIN\\ARCHIVI";
    int mode = -1;
    int index = -1;
    dialogs.onWindow(Codnuo::kFormName, [&](WindowPresenter& w) {
      auto& window = dynamic_cast<Codnuo&>(w);
      mode = S().TABPARAM[kParamCheckMode];
      index = S().NUMEROFILE[static_cast<int>(S().TABPARAM[kParamKeyIndexFile])] != 0 ? S().TABPARAM[kParamKeyIndexFile] : 0;
      for (int box = 0; box < Codnuo::kBoxes; ++box) {
        window.boxFocused(box);
        window.boxKeyPress(box, '7');
      }
      window.confirmClick();
    });
    std::int16_t asked = 2;
    EXPECT_EQ(COD_DIP(asked, archive), "0070070007");
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(index, archive == 29 ? 30 : 7);
  }
}

}  // namespace
}  // namespace vt
