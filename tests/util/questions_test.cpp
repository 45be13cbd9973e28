// The question boxes, the date and number checks behind them, and the text
// and number conversions.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/failure.h"
#include "core/state.h"
#include "scripted_dialogs.h"
#include "util/questions.h"
#include "util/text.h"

namespace vt {
namespace {

using testing::ShownBox;

TEST(Conversions, ValStrAndWholeNumbers) {
  const std::pair<const char*, double> values[] = {
      {"  42", 42}, {"5 9 ", 59}, {"-000123.45", -123.45}, {"007 ROSSI", 7}, {"1.5.3", 1.5}, {"12-3", 12}, {"3,5", 3},
      {"1E3", 1000}, {"2.5d-1", 0.25}, {"1E", 1}, {".5", 0.5}, {"", 0}, {"ABC", 0}, {"-", 0}, {"E5", 0}};
  for (const auto& [text, value] : values) EXPECT_EQ(VAL(text), value) << text;
  const std::pair<double, const char*> texts[] = {
      {5, " 5"}, {-5, "-5"}, {0, " 0"}, {0.5, " .5"}, {-123.45, "-123.45"}, {0.0001, " .0001"},
      {999999999999999.0, " 999999999999999"}, {1e15, " 1E+15"}, {1.5e20, " 1.5E+20"}, {0.00001, " 1E-05"}, {-2.5e-7, "-2.5E-07"}};
  for (const auto& [value, text] : texts) EXPECT_EQ(STR(value), text) << text;
  const std::pair<double, const char*> whole[] = {{-2.95, "-3"}, {2.85, "2"}, {2.95, "3"}, {-0.05, "0"}, {1e20, "100000000000000000000"}};
  for (const auto& [value, text] : whole) EXPECT_EQ(INTERO(value), text) << value;
  struct Fixed {
    double x;
    std::int16_t decimals;
    const char* text;
  };
  for (Fixed f : {Fixed{2.345, 2, "2.35"}, Fixed{-2.345, 2, "-2.35"}, Fixed{2.344, 2, "2.34"}, Fixed{9.995, 2, "10.00"},
                  Fixed{3, 3, "3.000"}, Fixed{1e20, 2, "100000000000000000000.00"}, Fixed{0.00001, 6, "0.000010"},
                  Fixed{7.125, 0, "7.13"}}) {
    EXPECT_EQ(FORMATONUMERO(f.x, f.decimals), f.text) << f.x;
  }
  EXPECT_EQ(toInt16(2.5), 2);
  EXPECT_EQ(toInt16(3.5), 4);
  EXPECT_EQ(toInt16(-32768), -32768);
  EXPECT_THROW(toInt16(32767.6), RuntimeFailure);
}

TEST(DateCheck, ZeroForADayThatExists_OneForOneThatDoesNot_TwoForNoDate) {
  const std::pair<const char*, double> cases[] = {
      {"29022000", 0}, {"28021900", 0}, {"30042001", 0}, {"31122001", 0}, {"1012000", 0}, {"01132001", 1},
      {"32012001", 1}, {"31042001", 1}, {"29021900", 1}, {"30022000", 1}, {"00012001", 1}, {"01002001", 1},
      {"0101.200", 1}, {"010120010", 1}, {"-1012000", 1}, {"00000000", 2}, {"", 2}, {"ABC", 2}};
  for (const auto& [text, result] : cases) {
    std::string digits = text;
    EXPECT_EQ(CONTROLLADATA(digits), result) << text;
  }
}

class QuestionBoxes : public ::testing::Test {
 protected:
  void SetUp() override { resetState(); }
  testing::ScriptedDialogs dialogs;
};

TEST_F(QuestionBoxes, YesNoBreaksLinesAtTheFirstTenStars_WithNoAsDefault) {
  dialogs.answer(Answer::kYes);
  dialogs.answer(Answer::kNo);
  EXPECT_EQ(DOMANDASN("GIA' PRESENTE*SOVRASCRIVERE ?"), "S");
  EXPECT_EQ(DOMANDASN("1*2*3*4*5*6*7*8*9*10*11*12"), "N");
  EXPECT_EQ(dialogs.messageTexts(), (std::vector<std::string>{"GIA' PRESENTE\r\nSOVRASCRIVERE ?",
                                                              "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11*12"}));
  const ShownBox& box = dialogs.boxes()[0];
  EXPECT_EQ(box.buttons, Buttons::kYesNo);
  EXPECT_EQ(box.icon, Icon::kQuestion);
  EXPECT_EQ(box.defaultButton, DefaultButton::kSecond);
  EXPECT_EQ(box.title, "Tessaro");
}

// DOMANDA: what the operator types in turn (nullopt: Cancel), the answer,
// the answer length it leaves, the default shown, and the messages between.
TEST_F(QuestionBoxes, TypedAnswersAreCheckedAndShapedByType) {
  auto refused = [](const std::string& date) { return "LA DATA " + date + " NON E' CORRETTA "; };
  const std::string format = "Inserire data valida nel formato gg/mm/aaaa";
  struct Case {
    std::int16_t length;
    std::string type, preset;
    std::vector<std::optional<std::string>> typed;
    std::string answer;
    std::int16_t lengthAfter;
    std::string shown;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {3, "N", "", {"7"}, "007", 3, "000", {}},
      {3, "N", "", {"1234"}, "234", 3, "000", {}},
      {3, "N", "", {"ROSSI"}, "000", 3, "000", {}},
      {3, "N", "", {""}, "", 3, "000", {}},
      {3, "N", "12", {std::nullopt}, "", 3, "012", {}},
      {6, "2", "", {"3,5"}, "0003.50", 7, "0000.00", {}},
      {6, "2", "", {"12.345"}, "0012.35", 7, "0000.00", {}},
      {4, "3", "", {"1,2"}, "1.200", 5, "0.000", {}},
      {5, "0", "", {"3"}, "03.00", 5, "00000", {}},
      {8, "X", "", {"2,345"}, "00002.35", 8, "00000000", {}},
      {10, "D", "", {"31/04/2001", "29/02/1900", "29/02/2000"}, "29022000", 10, "00/00/0000", {format, format}},
      {8, "D", "25122001", {"1/2/2000", "01/02/2000"}, "01022000", 10, "25/12/2001", {refused("1/2/2000")}},
      {4, "D", "", {"31/04", "32/01", "15/04"}, "1504", 5, "00/00", {refused("31/04"), refused("32/01")}},
      {6, "D1", "", {"13/2001", "02/2001"}, "022001", 7, "00/0000", {refused("13/2001")}},
      {8, "A", "ROSSI", {"ROSSI MARIO"}, "ROSSI MA", 8, "ROSSI   ", {}},
      {10, "A", "", {"ROSSI\r\nMARIO"}, "ROSSI", 10, "          ", {}},
  };
  for (const Case& c : cases) {
    testing::ScriptedDialogs local;
    for (const auto& t : c.typed) local.type(t);
    S().TABTESTI[kDefaultAnswerEntry] = c.preset;
    std::int16_t length = c.length;
    std::string type = c.type, prompt = "NUOVO NUMERO";
    EXPECT_EQ(DOMANDA(length, type, prompt), c.answer) << c.type << " " << c.answer;
    EXPECT_TRUE(local.allAnswersUsed()) << c.answer;
    EXPECT_EQ(length, c.lengthAfter) << c.answer;
    EXPECT_EQ(local.boxes()[0].defaultText, c.shown) << c.answer;
    EXPECT_EQ(local.boxes()[0].title, "Domanda e risposta");
    EXPECT_EQ(local.messageTexts(), c.messages) << c.answer;
    EXPECT_EQ(S().TABTESTI[kDefaultAnswerEntry], "") << c.answer;
    EXPECT_EQ(S().TABTESTI[kFullAnswerTypeEntry], c.type);
  }
  std::int16_t length = 3;
  std::string type = "N", prompt = "   00012 ROSSI*NUOVO NUMERO (ggmmaaaa)";
  dialogs.type("");
  DOMANDA(length, type, prompt);
  EXPECT_EQ(dialogs.boxes()[0].text, "00012 ROSSI\r\nNUOVO NUMERO (GG/MM/AAAA)");
  std::string huge = "1E15";
  EXPECT_EQ(CONTROLLARISPOSTA(huge, 20, "N"), 0);
  EXPECT_EQ(huge, "00001000000000000000");
}

}  // namespace
}  // namespace vt
