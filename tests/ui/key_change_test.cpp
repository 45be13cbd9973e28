// The key change dialog over the sample's live companies and employee index:
// moves between the boxes, the company list, the check modes and the ways out.
// (The check itself and its messages are seen in the runs of the program.)
#include "ui/key_change.h"

#include <gtest/gtest.h>

#include "records/files.h"
#include "scripted_dialogs.h"
#include "temp_install.h"

namespace vt {
namespace {

class KeyChange : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.installSample();
    S().PERARK = "C:\\PWELKIN\\ARCHIVI";
    FAIOPEN(kUserCompanyFile);
    FAIOPEN(kEmployeeIndexFile);
    S().TABPARAM[kParamKeyIndexFile] = kEmployeeIndexFile;
  }
  void type(int box, const std::string& digits) {
    for (char c : digits) window.boxKeyPress(box, c);
    window.commandClick();
  }
  testing::TempFolder folder;
  testing::ScriptedDialogs dialogs;
  Codnuo window;
};

TEST_F(KeyChange, UpAndDownGoRoundTheBoxes_F1PicksACompany_AndACompanyAloneIsNoKey) {
  window.load();
  EXPECT_TRUE(window.boxKeyDown(0, kKeyUp, 0));
  EXPECT_EQ(window.focusedBox(), 2);
  EXPECT_TRUE(window.boxKeyDown(2, kKeyDown, 0));
  EXPECT_EQ(window.focusedBox(), 0);
  EXPECT_TRUE(window.boxKeyDown(0, kKeyF1, 0));
  EXPECT_TRUE(window.listHasFocus());
  window.listSelect(1);
  window.listKeyPress(kCharEnter);
  EXPECT_EQ(window.key(), "0030000000");
  EXPECT_EQ(window.focusedBox(), 1);
  window.close();
  EXPECT_EQ(window.key(), "");
}

TEST_F(KeyChange, EscapeInABoxLeavesWithoutAKey) {
  window.load();
  type(0, "4");
  type(1, "5");
  window.boxKeyPress(2, '6');
  EXPECT_TRUE(window.boxKeyDown(2, kKeyEscape, 0));
  EXPECT_TRUE(window.isClosed());
  EXPECT_EQ(window.key(), "");
}

TEST_F(KeyChange, TheCheckModeSaysAfterWhichBoxTheCheckRuns) {
  // A checked key without an employee sends the caret back to the company box.
  const std::pair<std::int16_t, std::vector<int>> modes[] = {{0, {1, 2}}, {1, {0, 0}}, {2, {1, 0}}};
  for (const auto& [mode, focus] : modes) {
    Codnuo w;
    S().TABPARAM[kParamCheckMode] = mode;
    w.load();
    for (int expected : focus) {
      w.boxKeyPress(w.focusedBox(), '1');
      w.commandClick();
      EXPECT_EQ(w.focusedBox(), expected) << "mode " << mode;
    }
  }
}

TEST_F(KeyChange, ConfermaKeepsTheCodeTheBoxesShow_AndRefusesOneWithABlankInside) {
  // Typed into the company and employee boxes (8: Backspace); the key, "" for refused.
  const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
      {"12", "34", "34   ", "0120000034"}, {"9", "1234\b", "12 4 ", ""}, {"123\b", "5", "5    ", ""}};
  for (const auto& [company, employee, shown, key] : cases) {
    Codnuo w;
    w.load();
    for (char c : std::string(company)) w.boxKeyPress(0, c);
    w.boxFocused(2);
    for (char c : std::string(employee)) w.boxKeyPress(2, c);
    ASSERT_EQ(w.box(2).text, shown);
    const int beeps = dialogs.beeps();
    w.confirmClick();
    EXPECT_EQ(w.isClosed(), *key != 0) << employee;
    EXPECT_EQ(dialogs.beeps(), beeps + (*key == 0 ? 1 : 0)) << employee;
    EXPECT_EQ(w.key(), *key != 0 ? key : "0000000000") << employee;
  }
}

}  // namespace
}  // namespace vt
