// The yes/no box, the typed-answer box and the number and date checks behind it.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/state.h"
#include "platform/dates.h"
#include "scripted_dialogs.h"
#include "util/questions.h"
#include "util/text.h"

namespace vt {
namespace {

using testing::ScriptedDialogs;
using testing::ShownBox;

const std::string kInvalidDateFormat = "Inserire data valida nel formato gg/mm/aaaa";

// The refusal of a typed date, as the operator reads it.
std::string dateRefusal(const std::string& answer) { return "LA DATA " + answer + " NON E' CORRETTA "; }

class QuestionBoxes : public ::testing::Test {
 protected:
  void SetUp() override { resetState(); }

  // What DOMANDA was asked and what it left in its arguments.
  struct Asked {
    std::string result;
    std::int16_t length;
    std::string type;
    std::string prompt;
  };

  // DOMANDA for `length` characters of `type`, the operator typing each of
  // `typed` in turn (std::nullopt = Cancel).
  Asked ask(std::int16_t length, std::string type, const std::vector<std::optional<std::string>>& typed,
            std::string prompt = "NUOVO NUMERO RECORD") {
    for (const auto& t : typed) dialogs.type(t);
    std::string result = DOMANDA(length, type, prompt);
    EXPECT_TRUE(dialogs.allAnswersUsed()) << "the box stopped asking before every answer was typed";
    return {result, length, type, prompt};
  }

  std::vector<ShownBox> inputBoxes() const { return boxesOf(ShownBox::Kind::kInput); }
  std::vector<ShownBox> messageBoxes() const { return boxesOf(ShownBox::Kind::kMessage); }

  ScriptedDialogs dialogs;

 private:
  std::vector<ShownBox> boxesOf(ShownBox::Kind kind) const {
    std::vector<ShownBox> found;
    for (const ShownBox& b : dialogs.boxes()) {
      if (b.kind == kind) found.push_back(b);
    }
    return found;
  }
};

// --- DOMANDASN -------------------------------------------------------------------

TEST_F(QuestionBoxes, YesNoQuestionAsksWithQuestionIconNoAsDefaultAndTitleTessaro) {
  dialogs.answer(Answer::kYes);
  dialogs.answer(Answer::kNo);
  EXPECT_EQ(DOMANDASN("SOVRASCRIVERE ?", 1), "S");
  EXPECT_EQ(DOMANDASN("SOVRASCRIVERE ?", 2), "N");
  ASSERT_EQ(dialogs.boxes().size(), 2u);
  for (const ShownBox& box : dialogs.boxes()) {
    EXPECT_EQ(box.kind, ShownBox::Kind::kMessage);
    EXPECT_EQ(box.text, "SOVRASCRIVERE ?");
    EXPECT_EQ(box.buttons, Buttons::kYesNo);
    EXPECT_EQ(box.icon, Icon::kQuestion);
    EXPECT_EQ(box.defaultButton, DefaultButton::kSecond);
    EXPECT_EQ(box.title, "Tessaro");
  }
}

TEST_F(QuestionBoxes, YesNoQuestionBreaksLinesAtTheFirstTenStars) {
  DOMANDASN("DIPENDENTE 0010010001 GIA' PRESENTE*SOVRASCRIVERE ?");
  DOMANDASN("1*2*3*4*5*6*7*8*9*10*11*12");
  DOMANDASN("NESSUNA RIGA");
  std::vector<std::string> texts = dialogs.messageTexts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "DIPENDENTE 0010010001 GIA' PRESENTE\r\nSOVRASCRIVERE ?");
  EXPECT_EQ(texts[1], "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11*12");
  EXPECT_EQ(texts[2], "NESSUNA RIGA");
}

// --- DOMANDA: whole numbers --------------------------------------------------------

TEST_F(QuestionBoxes, WholeNumberAnswerComesBackRightAlignedWithZeros) {
  EXPECT_EQ(ask(3, "N", {"7"}).result, "007");
  EXPECT_EQ(ask(3, "N", {"1234"}).result, "234");  // leading digits lost
  EXPECT_EQ(ask(3, "N", {"ROSSI"}).result, "000");
  EXPECT_EQ(ask(3, "N", {" 1 2"}).result, "012");
  for (const ShownBox& box : inputBoxes()) {
    EXPECT_EQ(box.title, "Domanda e risposta");
    EXPECT_EQ(box.text, "NUOVO NUMERO RECORD");
    EXPECT_EQ(box.defaultText, "000");
  }
  EXPECT_TRUE(messageBoxes().empty());
}

TEST_F(QuestionBoxes, EmptyFieldOrCancelGivesNoAnswer) {
  Asked empty = ask(3, "N", {""});
  EXPECT_EQ(empty.result, "");
  EXPECT_EQ(empty.length, 3);
  EXPECT_EQ(ask(3, "N", {std::nullopt}).result, "");
  EXPECT_EQ(ask(10, "D", {std::nullopt}).result, "");
  EXPECT_EQ(ask(10, "A", {""}).result, "");
  EXPECT_EQ(inputBoxes().size(), 4u);
  EXPECT_TRUE(messageBoxes().empty());
}

// --- DOMANDA: numbers with decimals ----------------------------------------------

TEST_F(QuestionBoxes, DecimalTypeShowsAPointInTheDefaultAndGrowsTheLength) {
  Asked two = ask(6, "2", {"3,5"});
  EXPECT_EQ(two.result, "0003.50");
  EXPECT_EQ(two.length, 7);
  EXPECT_EQ(ask(6, "2", {"12.345"}).result, "0012.35");
  EXPECT_EQ(ask(6, "2", {"nulla"}).result, "0000.00");
  EXPECT_EQ(ask(4, "3", {"1,2"}).result, "1.200");
  std::vector<ShownBox> shown = inputBoxes();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].defaultText, "0000.00");
  EXPECT_EQ(shown[3].defaultText, "0.000");
}

TEST_F(QuestionBoxes, OtherNumberTypeShowsNoDecimalsButAnswersWithTwo) {
  Asked other = ask(5, "0", {"3"});
  EXPECT_EQ(other.result, "03.00");
  EXPECT_EQ(other.length, 5);
  EXPECT_EQ(ask(8, "X", {"2,345"}).result, "00002.35");
  EXPECT_EQ(inputBoxes()[0].defaultText, "00000");
}

// --- DOMANDA: dates ------------------------------------------------------------------

TEST_F(QuestionBoxes, FullDateMustExistAndComesBackAsDigits) {
  Asked date = ask(10, "D", {"31/04/2001", "29/02/1900", "29/02/2000"}, "DATA DI ASSUNZIONE");
  EXPECT_EQ(date.result, "29022000");
  EXPECT_EQ(date.length, 10);
  EXPECT_EQ(date.type, "D");

  std::vector<ShownBox> shown = dialogs.boxes();
  ASSERT_EQ(shown.size(), 5u);
  for (std::size_t i : {0u, 2u, 4u}) {
    EXPECT_EQ(shown[i].kind, ShownBox::Kind::kInput);
    EXPECT_EQ(shown[i].defaultText, "00/00/0000");
  }
  for (std::size_t i : {1u, 3u}) {
    EXPECT_EQ(shown[i].kind, ShownBox::Kind::kMessage);
    EXPECT_EQ(shown[i].text, kInvalidDateFormat);
    EXPECT_EQ(shown[i].buttons, Buttons::kOk);
    EXPECT_EQ(shown[i].icon, Icon::kInformation);
    EXPECT_EQ(shown[i].title, "");
  }
}

TEST_F(QuestionBoxes, EightDigitDateShowsDayMonthAndFourDigitYear) {
  Asked date = ask(8, "D", {"1/2/2000", "01/02/2000"});
  EXPECT_EQ(date.result, "01022000");
  EXPECT_EQ(date.length, 10);
  EXPECT_EQ(inputBoxes()[0].defaultText, "00/00/0000");
  // A short day and month pass the platform's check but not the digit check.
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{dateRefusal("1/2/2000")});
}

TEST_F(QuestionBoxes, DayAndMonthAreTestedWithTheCurrentYear) {
  Asked date = ask(4, "D", {"31/04", "32/01", "15/04"});
  EXPECT_EQ(date.result, "1504");
  EXPECT_EQ(date.length, 5);
  EXPECT_EQ(inputBoxes()[0].defaultText, "00/00");
  std::vector<ShownBox> refused = messageBoxes();
  ASSERT_EQ(refused.size(), 2u);
  EXPECT_EQ(refused[0].text, dateRefusal("31/04"));
  EXPECT_EQ(refused[1].text, dateRefusal("32/01"));
  for (const ShownBox& box : refused) {
    EXPECT_EQ(box.buttons, Buttons::kOk);
    EXPECT_EQ(box.icon, Icon::kNone);
    EXPECT_EQ(box.title, "");
  }

  // 29 February exists only when this year is a leap year.
  std::int16_t thisYear = toInt16(VAL(RIGHT(platform::systemDateText(), 4)));
  if (BISESTILE(thisYear)) {
    EXPECT_EQ(ask(4, "D", {"29/02"}).result, "2902");
  } else {
    EXPECT_EQ(ask(4, "D", {"29/02", std::nullopt}).result, "");
    EXPECT_EQ(dialogs.messageTexts().back(), dateRefusal("29/02"));
  }
}

TEST_F(QuestionBoxes, MonthAndYearTypeTestsTheFirstOfTheMonthAndKeepsTheFullType) {
  Asked date = ask(6, "D1", {"13/2001", "02/2001"}, "MESE DI RIFERIMENTO");
  EXPECT_EQ(date.result, "022001");
  EXPECT_EQ(date.length, 7);
  EXPECT_EQ(date.type, "D");
  EXPECT_EQ(S().TABTESTI[kFullAnswerTypeEntry], "D1");
  EXPECT_EQ(inputBoxes()[0].defaultText, "00/0000");
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{dateRefusal("13/2001")});
}

// --- DOMANDA: default, prompt, answer text -------------------------------------------

TEST_F(QuestionBoxes, PresetDefaultIsShapedShownAndEmptiedOnReturn) {
  S().TABTESTI[kDefaultAnswerEntry] = "12";
  EXPECT_EQ(ask(3, "N", {"5"}).result, "005");
  EXPECT_EQ(S().TABTESTI[kDefaultAnswerEntry], "");

  S().TABTESTI[kDefaultAnswerEntry] = "25122001";
  EXPECT_EQ(ask(8, "D", {std::nullopt}).result, "");
  EXPECT_EQ(S().TABTESTI[kDefaultAnswerEntry], "");

  S().TABTESTI[kDefaultAnswerEntry] = "ROSSI";
  EXPECT_EQ(ask(8, "A", {"ROSSI MARIO"}).result, "ROSSI MA");
  EXPECT_EQ(S().TABTESTI[kDefaultAnswerEntry], "");

  std::vector<ShownBox> shown = inputBoxes();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].defaultText, "012");
  EXPECT_EQ(shown[1].defaultText, "25/12/2001");
  EXPECT_EQ(shown[2].defaultText, "ROSSI   ");
}

TEST_F(QuestionBoxes, TextAnswerIsCutAtItsFirstLineEndAndToItsLength) {
  EXPECT_EQ(ask(10, "A", {"ROSSI\r\nMARIO"}).result, "ROSSI");
  EXPECT_EQ(ask(5, "A", {"VERDI GIUSEPPE"}).result, "VERDI");
  EXPECT_EQ(ask(5, "A", {" A "}).result, " A ");
  EXPECT_EQ(inputBoxes()[0].defaultText, std::string(10, ' '));
}

TEST_F(QuestionBoxes, PromptLosesLeadingBlanksShowsStarsAsLineBreaksAndSlashesTheDateMask) {
  Asked starred = ask(3, "N", {""}, "   00012 ROSSI*MARIO*NUOVO NUMERO ?");
  EXPECT_EQ(starred.prompt, "00012 ROSSI\r\nMARIO\r\nNUOVO NUMERO ?");
  Asked mask = ask(8, "D", {""}, "DATA (ggmmaaaa)");
  EXPECT_EQ(mask.prompt, "DATA (GG/MM/AAAA)");
  std::vector<ShownBox> shown = inputBoxes();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, starred.prompt);
  EXPECT_EQ(shown[1].text, mask.prompt);
}

TEST_F(QuestionBoxes, NoneOfTheBoxesRecordsATrailName) {
  dialogs.answer(Answer::kNo);
  DOMANDASN("SOVRASCRIVERE ?");
  ask(10, "D", {"31/04/2001", ""});
  EXPECT_EQ(S().POSPROC, 0);
  for (int slot = 0; slot <= kTrailSlots; ++slot) EXPECT_EQ(S().ULTIMEPROC[slot], "");
}

// --- CONTROLLARISPOSTA ------------------------------------------------------------

TEST_F(QuestionBoxes, AnswerCheckNormalisesNumbersWrittenOutInFull) {
  std::string text = "ROSSI";
  EXPECT_EQ(CONTROLLARISPOSTA(text, 3, "A"), 0);
  EXPECT_EQ(text, "ROSSI");

  std::string huge = "1E15";
  EXPECT_EQ(CONTROLLARISPOSTA(huge, 20, "N"), 0);
  EXPECT_EQ(huge, "00001000000000000000");

  std::string decimals = "7,125";
  EXPECT_EQ(CONTROLLARISPOSTA(decimals, 6, "2"), 0);
  EXPECT_EQ(decimals, "007.13");
  EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(QuestionBoxes, AnswerCheckRefusesImpossibleDatesAndKeepsAnEmptyOne) {
  std::string zero = "00/00";
  EXPECT_EQ(CONTROLLARISPOSTA(zero, 5, "D"), 0);
  EXPECT_EQ(zero, "00/00");

  std::string full = "31/12/1999";
  EXPECT_EQ(CONTROLLARISPOSTA(full, 10, "D"), 0);
  EXPECT_EQ(full, "31121999");

  std::string signedDay = "-1/01";
  EXPECT_EQ(CONTROLLARISPOSTA(signedDay, 5, "D"), 1);
  EXPECT_EQ(signedDay, "-1/01");
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{dateRefusal("-1/01")});
}

// --- CONTROLLADATA and BISESTILE ---------------------------------------------------

// CONTROLLADATA of a copy of `digits`.
double dateCheck(std::string digits) { return CONTROLLADATA(digits); }

TEST(DateCheck, GivesZeroForADayThatExists) {
  EXPECT_EQ(dateCheck("29022000"), 0);
  EXPECT_EQ(dateCheck("29022004"), 0);
  EXPECT_EQ(dateCheck("30042001"), 0);
  EXPECT_EQ(dateCheck("31122001"), 0);
  EXPECT_EQ(dateCheck("28021900"), 0);
}

TEST(DateCheck, GivesOneForADayThatDoesNotExistOrIsNotDigits) {
  EXPECT_EQ(dateCheck("01132001"), 1);   // month 13
  EXPECT_EQ(dateCheck("32012001"), 1);
  EXPECT_EQ(dateCheck("31042001"), 1);
  EXPECT_EQ(dateCheck("29021900"), 1);
  EXPECT_EQ(dateCheck("30022000"), 1);
  EXPECT_EQ(dateCheck("00012001"), 1);   // day 0
  EXPECT_EQ(dateCheck("01002001"), 1);   // month 0
  EXPECT_EQ(dateCheck("0101.200"), 1);   // a point
  EXPECT_EQ(dateCheck("010120010"), 1);  // nine characters
  EXPECT_EQ(dateCheck("-1012000"), 1);   // a signed day
}

TEST(DateCheck, GivesTwoForNoDate) {
  EXPECT_EQ(dateCheck("00000000"), 2);
  EXPECT_EQ(dateCheck(""), 2);
  EXPECT_EQ(dateCheck("ABC"), 2);
}

TEST(DateCheck, PadsShortDigitsWithLeadingZeros) {
  std::string firstOfJanuary = "1012000";
  EXPECT_EQ(CONTROLLADATA(firstOfJanuary), 0);
  EXPECT_EQ(firstOfJanuary, "01012000");
}

TEST(LeapYear, FollowsTheGregorianRule) {
  EXPECT_TRUE(BISESTILE(2000));
  EXPECT_FALSE(BISESTILE(1900));
  EXPECT_TRUE(BISESTILE(2004));
  EXPECT_FALSE(BISESTILE(2001));
  EXPECT_TRUE(BISESTILE(0));
}

// --- INTERO and FORMATONUMERO -------------------------------------------------------

TEST(WholeNumberText, CutsTowardZeroAfterATenthAwayFromZero) {
  EXPECT_EQ(INTERO(-2.95), "-3");
  EXPECT_EQ(INTERO(2.85), "2");
  EXPECT_EQ(INTERO(2.95), "3");
  EXPECT_EQ(INTERO(-2.85), "-2");
  EXPECT_EQ(INTERO(12), "12");
  EXPECT_EQ(INTERO(0), "0");
  EXPECT_EQ(INTERO(-0.05), "0");
  EXPECT_EQ(INTERO(1e20), "100000000000000000000");
}

// FORMATONUMERO of `x` with `decimals`, the caller's variable left aside.
std::string fixed(double x, std::int16_t decimals) { return FORMATONUMERO(x, decimals); }

TEST(FixedPointText, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(fixed(2.345, 2), "2.35");
  EXPECT_EQ(fixed(-2.345, 2), "-2.35");
  EXPECT_EQ(fixed(2.344, 2), "2.34");
  EXPECT_EQ(fixed(0.125, 2), "0.13");
  EXPECT_EQ(fixed(2.675, 2), "2.68");
  EXPECT_EQ(fixed(9.995, 2), "10.00");
  EXPECT_EQ(fixed(1.25, 1), "1.3");
}

TEST(FixedPointText, WritesExactlyTheDecimalsAsked) {
  EXPECT_EQ(fixed(3, 3), "3.000");
  EXPECT_EQ(fixed(3.5, 4), "3.5000");
  EXPECT_EQ(fixed(0.5, 2), "0.50");
  EXPECT_EQ(fixed(1234.5678, 1), "1234.6");
  EXPECT_EQ(fixed(0, 2), "0.00");
}

TEST(FixedPointText, WritesExponentFormNumbersOutInFull) {
  EXPECT_EQ(fixed(1e20, 2), "100000000000000000000.00");
  EXPECT_EQ(fixed(1.5e16, 1), "15000000000000000.0");
  EXPECT_EQ(fixed(0.00001, 6), "0.000010");
  EXPECT_EQ(fixed(0.0000004, 6), "0.000000");
}

TEST(FixedPointText, NoDecimalsMeansTwoAlsoForTheCaller) {
  std::int16_t decimals = 0;
  EXPECT_EQ(FORMATONUMERO(7.125, decimals), "7.13");
  EXPECT_EQ(decimals, 2);
  std::int16_t three = 3;
  EXPECT_EQ(FORMATONUMERO(7.125, three), "7.125");
  EXPECT_EQ(three, 3);
}

}  // namespace
}  // namespace vt
