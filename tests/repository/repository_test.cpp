// Field access through descriptors: what a field reads as, where repeating
// groups lie, and the boxes a bad descriptor brings up.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "core/state.h"
#include "core/trail.h"
#include "repository/descriptors.h"
#include "repository/repository.h"
#include "scripted_dialogs.h"
#include "temp_install.h"

namespace vt {
namespace {

using testing::ScriptedDialogs;
using testing::ShownBox;
using testing::ThrowingEndHook;

class RepositoryTest : public ::testing::Test {
 protected:
  testing::TempFolder folder;  // resets the state
  ScriptedDialogs dialogs;
  ThrowingEndHook endHook;
};

// A descriptor of `variable` ("F24X$") for a field at `position` of `length`
// characters of `type`, with `code`.
std::string descriptorOf(const std::string& variable, int position, int length = 2, char type = 'A',
                         const std::string& code = "X001") {
  char text[32];
  std::snprintf(text, sizeof text, "%s,%05d,%02d,%c,0,%s", variable.c_str(), position, length, type, code.c_str());
  return text;
}

// A record of `size` dots with `field` written from 1-based `position`.
std::string recordWith(const std::string& field, std::size_t position, std::size_t size = 40) {
  std::string record(size, '.');
  record.replace(position - 1, field.size(), field);
  return record;
}

// The text of the first box shown while RepoR reads `descriptor`, which must
// end the program at once.
std::string trapTextFor(const std::string& descriptor, std::int16_t occurrence, const std::string& record) {
  ScriptedDialogs local;
  try {
    RepoR(descriptor, occurrence, record);
    ADD_FAILURE() << descriptor << " was read without a failure";
  } catch (const ProgramEnded& ended) {
    EXPECT_EQ(ended.reason, EndReason::kAtOnce);
  }
  return local.boxes().empty() ? std::string() : local.boxes().front().text;
}

void expectRepositoryBox(const ShownBox& box, const std::string& text) {
  EXPECT_EQ(box.text, text);
  EXPECT_EQ(box.buttons, Buttons::kOk);
  EXPECT_EQ(box.icon, Icon::kNone);
  EXPECT_EQ(box.title, "VTMERV");
}

// ---------------------------------------------------------------------------
// The descriptor table

TEST_F(RepositoryTest, TheProgramsDescriptors_ParseIntoTheirFields) {
  const FieldDescriptor name = parseDescriptor(T002);
  EXPECT_EQ(name.recordVariable, "DITX$");
  EXPECT_EQ(name.position, 6);
  EXPECT_EQ(name.length, 30);
  EXPECT_EQ(name.type, 'A');
  EXPECT_EQ(name.flag, '0');
  EXPECT_EQ(name.code, "T002");

  const FieldDescriptor status = parseDescriptor(P359);
  EXPECT_EQ(status.recordVariable, "DIPX$");
  EXPECT_EQ(status.position, 1);
  EXPECT_EQ(status.length, 2);
  EXPECT_EQ(status.type, 'N');
  EXPECT_EQ(status.flag, '1');

  EXPECT_EQ(parseDescriptor(T001).position, 3);
  EXPECT_EQ(parseDescriptor(S204).recordVariable, "SETX$");
  EXPECT_EQ(parseDescriptor("F24X$,05483,08,6,1,A999").decimals(), 6);
}

TEST_F(RepositoryTest, ADescriptor_IsFoundByItsCode) {
  for (const char* code : {"T261", "T001", "T002", "P359", "S204"}) {
    const auto found = descriptorByCode(code);
    ASSERT_TRUE(found.has_value()) << code;
    EXPECT_EQ(found->substr(19), code);
  }
  EXPECT_EQ(*descriptorByCode("T002"), "DITX$,00006,30,A,0,T002");
  EXPECT_FALSE(descriptorByCode("T999").has_value());
  EXPECT_FALSE(descriptorByCode("").has_value());
}

TEST_F(RepositoryTest, AMalformedDescriptor_IsNamedWithWhatIsWrong) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"DITX$,00001,02,N,1", "non ha 23 caratteri"},
      {"DITX$,00001,02,N,1,T2611", "non ha 23 caratteri"},
      {"DITX$;00001,02,N,1,T261", "separatore mancante"},
      {"DITX$,0000A,02,N,1,T261", "posizione non numerica"},
      {"DITX$,   12,02,N,1,T261", "posizione non numerica"},
      {"DITX$,00000,02,N,1,T261", "posizione 0"},
      {"DITX$,00001,-2,N,1,T261", "lunghezza non numerica"},
      {"DITX$,00001,02,X,1,T261", "tipo sconosciuto"},
      {"DITX$,00001,02,1,1,T261", "tipo sconosciuto"},
      {"DITX$,00001,03,4,1,T261", "lunghezza minore dei decimali"},
  };
  for (const auto& [text, fault] : cases) {
    EXPECT_EQ(descriptorFault(text), fault) << text;
    EXPECT_FALSE(tryParseDescriptor(text).has_value()) << text;
    try {
      parseDescriptor(text);
      ADD_FAILURE() << text << " parsed";
    } catch (const RuntimeFailure& failure) {
      EXPECT_EQ(failure.code(), err::kInvalidCall);
      EXPECT_NE(failure.description().find(text), std::string::npos) << failure.description();
      EXPECT_NE(failure.description().find(fault), std::string::npos) << failure.description();
    }
  }
  EXPECT_EQ(descriptorFault("DITX$,00001,04,4,1,T261"), "");
}

// ---------------------------------------------------------------------------
// Decoding

TEST_F(RepositoryTest, ANumberField_HasItsFirstMinusMovedToTheFront) {
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 3, 8, '2'), 0, recordWith("-0012345", 3)), "-000123.45");
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 1, 5, 'N'), 0, recordWith("00-12", 1)), "-00012");
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 1, 7, 'N'), 0, recordWith("0000042", 1)), "0000042");
  EXPECT_EQ(RepoR(T261, 0, recordWith("99", 1)), "99");
  // Only the first minus is the sign; a second one stays where it is.
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 1, 5, 'N'), 0, recordWith("1-2-3", 1)), "-102-3");
  // A minus outside the field is not the field's.
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 2, 3, 'N'), 0, "-123-"), "123");
}

TEST_F(RepositoryTest, ADecimalField_GetsItsPointBeforeItsDecimals) {
  const std::string digits = "12345678";
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 1, 8, '2'), 0, digits), "123456.78");
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 1, 8, '3'), 0, digits), "12345.678");
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 1, 8, '4'), 0, digits), "1234.5678");
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 1, 8, '5'), 0, digits), "123.45678");
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 1, 8, '6'), 0, digits), "12.345678");
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 1, 6, '6'), 0, digits), ".123456");
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 1, 4, '2'), 0, "00-5"), "-00.05");
}

TEST_F(RepositoryTest, TheDecimalPoint_GoesByTheDescriptorsLength_EvenWhenLessWasTaken) {
  // An empty record buffer.
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 1, 2, '2')), ".");
  // A record that ends inside the field.
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 1, 8, '2'), 0, "12345"), "12345.");
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 1, 8, '2'), 0, "1234567"), "123456.7");
  // A field that starts past the end of the record.
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 10, 4, '3'), 0, "12345"), ".");
}

TEST_F(RepositoryTest, TextDateAndAsStoredFields_AreTakenUnchanged) {
  const std::string record = recordWith("-00.12 ab", 1);
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 1, 9, 'A'), 0, record), "-00.12 ab");
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 1, 9, 'D'), 0, record), "-00.12 ab");
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 1, 9, '0'), 0, record), "-00.12 ab");
}

TEST_F(RepositoryTest, AFieldAtTheRecordsEnd_FollowsSubstringRules) {
  const std::string record = "ABCDEFGHIJ";
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 9, 5), 0, record), "IJ");
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 10, 1), 0, record), "J");
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 11, 3), 0, record), "");
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 500, 3), 0, record), "");
  EXPECT_EQ(RepoR(descriptorOf("DITX$", 1, 0), 0, record), "");
}

TEST_F(RepositoryTest, RepoRNum_IsTheNumberTheFieldReadsAs) {
  EXPECT_DOUBLE_EQ(RepoRNum(descriptorOf("DITX$", 1, 8, '2'), 0, "-0012345"), -123.45);
  EXPECT_DOUBLE_EQ(RepoRNum(T261, 0, "99ACME"), 99);
  EXPECT_DOUBLE_EQ(RepoRNum(descriptorOf("DITX$", 1, 6, 'N'), 0, "      "), 0);
  EXPECT_DOUBLE_EQ(RepoRNum(descriptorOf("DITX$", 1, 6, 'N'), 0, "  0042"), 42);
  EXPECT_DOUBLE_EQ(RepoRNum(descriptorOf("DITX$", 1, 6, 'A'), 0, "12AB34"), 12);
  EXPECT_DOUBLE_EQ(RepoRNum(descriptorOf("DITX$", 1, 2, '2')), 0);
}

// ---------------------------------------------------------------------------
// Which record is read

TEST_F(RepositoryTest, WithoutARecord_TheDescriptorsRecordVariableIsRead) {
  S().DITX = "00012ACME SPA" + std::string(22, ' ');
  EXPECT_EQ(RepoR(T261), "00");
  EXPECT_EQ(RepoR(T001), "012");
  EXPECT_EQ(RepoR(T002), "ACME SPA" + std::string(22, ' '));
  EXPECT_DOUBLE_EQ(RepoRNum(T001), 12);
  S().DIPX = "99";
  EXPECT_EQ(RepoR(P359), "99");
  S().SETX = "01";
  EXPECT_EQ(RepoR(S204), "01");
  // A record given explicitly wins over the buffer.
  EXPECT_EQ(RepoR(T001, 0, "99777"), "777");
}

TEST_F(RepositoryTest, EachRecordVariable_NamesItsOwnBuffer) {
  const std::vector<std::pair<std::string, std::string State::*>> variables = {
      {"DITX$", &State::DITX}, {"DIPX$", &State::DIPX}, {"DI2X$", &State::DI2X}, {"CUDX$", &State::CUDX},
      {"DICX$", &State::DICX}, {"ARTX$", &State::ARTX}, {"COCX$", &State::COCX}, {"CONX$", &State::CONX},
      {"FISX$", &State::FISX}, {"FOTX$", &State::FOTX}, {"PARX$", &State::PARX}, {"PERX$", &State::PERX},
      {"PROX$", &State::PROX}, {"SETX$", &State::SETX}, {"STUX$", &State::STUX}, {"M77X$", &State::M77X},
      {"F24X$", &State::F24X}, {"FOPX$", &State::FOPX}, {"STOX$", &State::STOX}, {"GLAX$", &State::GLAX},
      {"GLCX$", &State::GLCX}, {"SCRX$", &State::SCRX}, {"SCRY$", &State::SCRY}, {"SCRU$", &State::SCRU},
  };
  for (const auto& [name, buffer] : variables) S().*buffer = "<" + name + ">";
  for (const auto& [name, buffer] : variables) {
    EXPECT_EQ(RepoR(descriptorOf(name, 2, 5)), name) << name;
  }
  EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(RepositoryTest, ADescriptorNamingNoRecordVariable_EndsTheProgramAfterItsBox) {
  const std::string unknown = "DITY$,00001,02,N,1,T261";
  try {
    RepoR(unknown);
    FAIL() << "the program must end";
  } catch (const ProgramEnded& ended) {
    EXPECT_EQ(ended.reason, EndReason::kAtOnce);
  }
  ASSERT_EQ(dialogs.boxes().size(), 1u);
  expectRepositoryBox(dialogs.boxes()[0], "ERRORE REPOSITORY - STRCOSTANTE");
  // This is no failure: the trail is left as it was.
  EXPECT_EQ(S().POSPROC, 0);
}

TEST_F(RepositoryTest, ADescriptorNamingNoRecordVariable_ReadsAGivenRecord) {
  EXPECT_EQ(RepoR("ditx$,00003,03,N,0,T001", 0, "99012"), "012");
  EXPECT_TRUE(dialogs.boxes().empty());
}

// ---------------------------------------------------------------------------
// Repeating groups

// Expects the displacement of occurrence 3 of a field of `variable` at each
// position of `inside` to be two group widths, and at each of `outside` none.
void expectGroup(const std::string& variable, std::int16_t width, const std::vector<int>& inside,
                 const std::vector<int>& outside) {
  for (int p : inside) {
    EXPECT_EQ(RepoSpostamento(descriptorOf(variable, p), 3), 2 * width) << variable << " " << p;
    EXPECT_EQ(RepoSpostamento(descriptorOf(variable, p), 2), width) << variable << " " << p;
  }
  for (int p : outside) {
    EXPECT_EQ(RepoSpostamento(descriptorOf(variable, p), 3), 0) << variable << " " << p;
  }
}

TEST_F(RepositoryTest, TheFirstOccurrence_IsNeverDisplaced) {
  for (const std::string& d : {descriptorOf("DICX$", 101), descriptorOf("CONX$", 200), descriptorOf("M77X$", 300),
                               descriptorOf("F24X$", 42), descriptorOf("DI2X$", 5, 2, 'A', "I100")}) {
    EXPECT_EQ(RepoSpostamento(d, 0), 0) << d;
    EXPECT_EQ(RepoSpostamento(d, 1), 0) << d;
  }
  const std::string record = recordWith("AB", 101, 200);
  EXPECT_EQ(RepoR(descriptorOf("DICX$", 101), 0, record), "AB");
  EXPECT_EQ(RepoR(descriptorOf("DICX$", 101), 1, record), "AB");
}

TEST_F(RepositoryTest, CompanyGroups_StartAfterPosition100) {
  expectGroup("DICX$", 10, {101, 102, 5000}, {1, 100});
}

TEST_F(RepositoryTest, ContractGroups_Span101To390) {
  expectGroup("CONX$", 290, {101, 390}, {100, 391});
}

TEST_F(RepositoryTest, M77Groups_SpanTwoBands) {
  expectGroup("M77X$", 255, {256, 510, 3316, 3570}, {255, 511, 3315, 3571});
}

TEST_F(RepositoryTest, F24Groups_FollowTheirBandsInOrder) {
  expectGroup("F24X$", 36, {42, 66}, {41, 67});
  expectGroup("F24X$", 63, {762, 813}, {761, 814});
  std::vector<int> inside;
  std::vector<int> outside = {1076};
  for (int start = 1077; start <= 4117; start += 152) {
    inside.push_back(start);
    inside.push_back(start + 23);
    outside.push_back(start + 24);
    outside.push_back(start + 151);
  }
  EXPECT_EQ(inside.size(), 42u);
  EXPECT_EQ(inside.back(), 4140);
  expectGroup("F24X$", 35, inside, outside);
  expectGroup("F24X$", 51, {4359, 4398}, {4358, 4399});
  expectGroup("F24X$", 55, {4824, 4867}, {4823, 4868});
  expectGroup("F24X$", 4, {5000}, {4999, 5001});
  std::vector<int> every16;
  std::vector<int> between = {5093, 5430};
  for (int p = 5094; p <= 5414; p += 16) {
    every16.push_back(p);
    between.push_back(p + 1);
    between.push_back(p + 15);
  }
  EXPECT_EQ(every16.size(), 21u);
  expectGroup("F24X$", 4, every16, between);
  expectGroup("F24X$", 2, {5483}, {5482, 5484});
}

TEST_F(RepositoryTest, DI2Groups_AreToldByTheCodesNumber) {
  EXPECT_EQ(RepoSpostamento(descriptorOf("DI2X$", 5, 2, 'A', "I100"), 3), 1428);
  EXPECT_EQ(RepoSpostamento(descriptorOf("DI2X$", 5, 2, 'A', "I827"), 2), 714);
  EXPECT_EQ(RepoSpostamento(descriptorOf("DI2X$", 5, 2, 'A', "I099"), 3), 0);
  EXPECT_EQ(RepoSpostamento(descriptorOf("DI2X$", 5, 2, 'A', "I001"), 3), 0);
  EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(RepositoryTest, ADI2DescriptorWithoutTheCodeLetter_ShowsItsBoxAndReadsTheFirstOccurrence) {
  const std::string record = recordWith("XY", 5, 800);
  EXPECT_EQ(RepoR(descriptorOf("DI2X$", 5, 2, 'A', "T100"), 2, record), "XY");
  ASSERT_EQ(dialogs.boxes().size(), 1u);
  expectRepositoryBox(dialogs.boxes()[0], "ERRORE REPOSITORY - LETTERA SCONOSCIUTA");
  // The first occurrence asks for no displacement, so no box.
  EXPECT_EQ(RepoR(descriptorOf("DI2X$", 5, 2, 'A', "T100"), 0, record), "XY");
  EXPECT_EQ(dialogs.boxes().size(), 1u);
}

TEST_F(RepositoryTest, OtherRecordVariables_HaveNoGroups) {
  for (const char* variable : {"DITX$", "DIPX$", "SETX$", "FISX$", "SCRU$", "NONE$"}) {
    EXPECT_EQ(RepoSpostamento(descriptorOf(variable, 200), 7), 0) << variable;
  }
}

TEST_F(RepositoryTest, ALaterOccurrence_IsReadItsDisplacementFurtherOn) {
  std::string record(400, '.');
  record.replace(100, 2, "11");  // positions 101-102
  record.replace(110, 2, "22");
  record.replace(120, 2, "33");
  const std::string first = descriptorOf("DICX$", 101, 2, 'N');
  EXPECT_EQ(RepoR(first, 1, record), "11");
  EXPECT_EQ(RepoR(first, 2, record), "22");
  EXPECT_EQ(RepoR(first, 3, record), "33");
  S().DICX = record;
  EXPECT_EQ(RepoR(first, 3), "33");
  // An occurrence beyond the record reads as nothing.
  EXPECT_EQ(RepoR(first, 40, record), "");
}

// ---------------------------------------------------------------------------
// Failures

TEST_F(RepositoryTest, DisplacementArithmetic_OverflowsPast16Bits) {
  const std::string di2 = descriptorOf("DI2X$", 5, 2, 'A', "I100");
  EXPECT_EQ(RepoSpostamento(di2, 46), 45 * 714);  // 32130, still 16-bit
  for (std::int16_t occurrence : {std::int16_t{47}, std::int16_t{32767}, std::int16_t{-45}}) {
    try {
      RepoSpostamento(di2, occurrence);
      ADD_FAILURE() << "occurrence " << occurrence << " did not overflow";
    } catch (const RuntimeFailure& failure) {
      EXPECT_EQ(failure.code(), err::kOverflow);
    }
  }
  // k - 1 itself overflows for the lowest occurrence.
  EXPECT_THROW(RepoSpostamento(descriptorOf("F24X$", 5483), -32768), RuntimeFailure);
  // Negative results within 16 bits are plain numbers.
  EXPECT_EQ(RepoSpostamento(descriptorOf("DICX$", 200), -1), -20);
  // No group, no arithmetic.
  EXPECT_EQ(RepoSpostamento(descriptorOf("DITX$", 5), -32768), 0);
}

TEST_F(RepositoryTest, AnOverflowInRepoR_ReachesTheTrapWithRepoRInTheTrail) {
  REGISTRAPROC("CARDITN");
  S().NOMEPROGRAMMA = "VTMERV";
  try {
    RepoR(descriptorOf("DI2X$", 5, 2, 'A', "I100"), 100, std::string(100, '0'));
    FAIL() << "the trap must end the program";
  } catch (const ProgramEnded& ended) {
    EXPECT_EQ(ended.reason, EndReason::kAtOnce);
  }
  ASSERT_EQ(dialogs.boxes().size(), 2u);
  EXPECT_EQ(dialogs.boxes()[0].text,
            "Errore 6 Overflow\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\nCARDITN\r\nRepoR\r\n");
  EXPECT_EQ(dialogs.boxes()[0].title, "Tessaro VTMERV");
  EXPECT_EQ(dialogs.boxes()[0].icon, Icon::kCritical);
}

TEST_F(RepositoryTest, ABadDescriptorInRepoR_ReachesTheTrapWithAClearDescription) {
  const std::string record(50, '1');
  const std::string zero = trapTextFor("DITX$,00000,02,N,1,T261", 0, record);
  EXPECT_EQ(zero.rfind("Errore 5 ", 0), 0u) << zero;
  EXPECT_NE(zero.find("DITX$,00000,02,N,1,T261"), std::string::npos) << zero;
  EXPECT_NE(zero.find("posizione 0"), std::string::npos) << zero;

  const std::string shortText = trapTextFor("DITX$,1,2,N,1,T261", 0, record);
  EXPECT_NE(shortText.find("non ha 23 caratteri"), std::string::npos) << shortText;

  const std::string letters = trapTextFor("DITX$,000x1,02,N,1,T261", 0, record);
  EXPECT_NE(letters.find("posizione non numerica"), std::string::npos) << letters;

  // A negative occurrence that moves the field before the record's start.
  const std::string before = trapTextFor(descriptorOf("DICX$", 101), -10, record);
  EXPECT_EQ(before.rfind("Errore 5 ", 0), 0u) << before;
  EXPECT_NE(before.find("posizione -9"), std::string::npos) << before;
  EXPECT_NE(before.find("RepoR\r\n"), std::string::npos) << before;
}

TEST_F(RepositoryTest, ASuccessfulRead_LeavesTheTrailAlone) {
  RepoR(T002, 0, "00001ACME");
  RepoRNum(T261, 0, "99");
  RepoR(descriptorOf("F24X$", 42), 3, std::string(200, '0'));
  EXPECT_EQ(S().POSPROC, 0);
  EXPECT_TRUE(dialogs.boxes().empty());
}

}  // namespace
}  // namespace vt
