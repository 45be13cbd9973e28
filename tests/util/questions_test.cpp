// The question boxes, the date and number checks behind them, and the text
// and number conversions.
#include <gtest/gtest.h>

#include "core/failure.h"
#include "core/state.h"
#include "scripted_dialogs.h"
#include "util/questions.h"
#include "util/text.h"

namespace vt {
namespace {

TEST(Conversions, ValStrAndFixedPoint) {
  const std::pair<const char*, double> values[] = {{"  42", 42}, {"5 9 ", 59}, {"-000123.45", -123.45}, {"007 ROSSI", 7},
      {"1.5.3", 1.5}, {"12-3", 12}, {"3,5", 3}, {"1E3", 1000}, {"2.5d-1", 0.25}, {"1E", 1}, {".5", 0.5}, {"ABC", 0}, {"E5", 0}};
  for (const auto& [text, value] : values) EXPECT_EQ(VAL(text), value) << text;
  const std::pair<double, const char*> texts[] = {{5, " 5"}, {-5, "-5"}, {0, " 0"}, {0.5, " .5"}, {-123.45, "-123.45"},
      {0.0001, " .0001"}, {999999999999999.0, " 999999999999999"}, {1e15, " 1E+15"}, {1.5e20, " 1.5E+20"},
      {0.00001, " 1E-05"}, {-2.5e-7, "-2.5E-07"}};
  for (const auto& [value, text] : texts) EXPECT_EQ(STR(value), text) << text;
  const std::pair<double, const char*> whole[] = {{-2.95, "-3"}, {2.85, "2"}, {2.95, "3"}, {-0.05, "0"}, {1e20, "100000000000000000000"}};
  for (const auto& [value, text] : whole) EXPECT_EQ(INTERO(value), text) << value;
  const std::tuple<double, std::int16_t, const char*> fixed[] = {{2.345, 2, "2.35"}, {-2.345, 2, "-2.35"}, {2.344, 2, "2.34"},
      {9.995, 2, "10.00"}, {3, 3, "3.000"}, {1e20, 2, "100000000000000000000.00"}, {0.00001, 6, "0.000010"}, {7.125, 0, "7.13"}};
  for (auto [x, decimals, text] : fixed) EXPECT_EQ(FORMATONUMERO(x, decimals), text) << x;
  EXPECT_EQ(toInt16(2.5) + toInt16(3.5), 6);  // halves to even
  EXPECT_THROW(toInt16(32767.6), RuntimeFailure);
}

TEST(DateCheck, ZeroForADayThatExists_OneForOneThatDoesNot_TwoForNoDate) {
  const std::pair<const char*, double> cases[] = {{"29022000", 0}, {"28021900", 0}, {"30042001", 0}, {"31122001", 0},
      {"1012000", 0}, {"01132001", 1}, {"32012001", 1}, {"31042001", 1}, {"29021900", 1}, {"30022000", 1}, {"00012001", 1},
      {"01002001", 1}, {"0101.200", 1}, {"010120010", 1}, {"-1012000", 1}, {"00000000", 2}, {"", 2}, {"ABC", 2}};
  for (const auto& [text, result] : cases) {
    std::string digits = text;
    EXPECT_EQ(CONTROLLADATA(digits), result) << text;
  }
}

TEST(QuestionBoxes, YesNoBreaksLinesAtTheFirstTenStars_WithNoAsDefault) {
  testing::ScriptedDialogs dialogs;
  dialogs.answer(Answer::kYes);
  dialogs.answer(Answer::kNo);
  EXPECT_EQ(DOMANDASN("GIA' PRESENTE*SOVRASCRIVERE ?"), "S");
  EXPECT_EQ(DOMANDASN("1*2*3*4*5*6*7*8*9*10*11*12"), "N");
  EXPECT_EQ(dialogs.messageTexts(), (std::vector<std::string>{"GIA' PRESENTE\r\nSOVRASCRIVERE ?",
                                                              "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11*12"}));
  const testing::ShownBox& box = dialogs.boxes()[0];
  EXPECT_TRUE(box.buttons == Buttons::kYesNo && box.icon == Icon::kQuestion && box.title == "Tessaro" &&
              box.defaultButton == DefaultButton::kSecond);
}

// DOMANDA: what the operator types in turn (nullopt: Cancel), the answer,
// the answer length it leaves, the default shown, and the messages between.
TEST(QuestionBoxes, TypedAnswersAreCheckedAndShapedByType) {
  resetState();
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
      {3, "N", "", {"7"}, "007", 3, "000", {}},            {3, "N", "", {"1234"}, "234", 3, "000", {}},
      {3, "N", "12", {""}, "", 3, "012", {}},              {6, "2", "", {"3,5"}, "0003.50", 7, "0000.00", {}},
      {4, "3", "", {"1,2"}, "1.200", 5, "0.000", {}},      {5, "0", "", {"3"}, "03.00", 5, "00000", {}},
      {10, "D", "", {"31/04/2001", "29/02/1900", "29/02/2000"}, "29022000", 10, "00/00/0000", {format, format}},
      {8, "D", "25122001", {"1/2/2000", std::nullopt}, "", 10, "25/12/2001", {refused("1/2/2000")}},
      {4, "D", "", {"31/04", "32/01", "15/04"}, "1504", 5, "00/00", {refused("31/04"), refused("32/01")}},
      {6, "D1", "", {"13/2001", "02/2001"}, "022001", 7, "00/0000", {refused("13/2001")}},
      {8, "A", "ROSSI", {"ROSSI MARIO"}, "ROSSI MA", 8, "ROSSI   ", {}}, {10, "A", "", {"ROSSI\r\nMARIO"}, "ROSSI", 10, "          ", {}},
  };
  for (const Case& c : cases) {
    testing::ScriptedDialogs dialogs;
    for (const auto& t : c.typed) dialogs.type(t);
    S().TABTESTI[kTextDefaultAnswer] = c.preset;
    std::int16_t length = c.length;
    std::string type = c.type, prompt = "   00012 ROSSI*NUOVA DATA (ggmmaaaa)";
    EXPECT_EQ(DOMANDA(length, type, prompt), c.answer) << c.type << " " << c.answer;
    EXPECT_TRUE(dialogs.allAnswersUsed() && length == c.lengthAfter) << c.answer;
    EXPECT_EQ(dialogs.boxes()[0].defaultText, c.shown) << c.answer;
    EXPECT_EQ(dialogs.boxes()[0].title + "|" + dialogs.boxes()[0].text, "Domanda e risposta|00012 ROSSI\r\nNUOVA DATA (GG/MM/AAAA)");
    EXPECT_EQ(dialogs.messageTexts(), c.messages) << c.answer;
    EXPECT_EQ(S().TABTESTI[kTextDefaultAnswer] + S().TABTESTI[kTextAnswerType], c.type);
  }
}

}  // namespace
}  // namespace vt
