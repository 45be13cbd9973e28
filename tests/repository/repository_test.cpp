// Field access through descriptors: what a field reads as, where repeating
// groups lie, and what a bad descriptor brings up.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/state.h"
#include "core/trail.h"
#include "repository/descriptors.h"
#include "repository/repository.h"
#include "scripted_dialogs.h"
#include "temp_install.h"

namespace vt {
namespace {

class Repository : public ::testing::Test {
 protected:
  testing::TempFolder folder;  // resets the state
  testing::ScriptedDialogs dialogs;
  testing::ThrowingEndHook endHook;
};

// A descriptor of `variable` for `length` characters of `type` at `position`.
std::string descriptorOf(const std::string& variable, int position, int length = 2, char type = 'A',
                         const std::string& code = "X001") {
  char text[32];
  std::snprintf(text, sizeof text, "%s,%05d,%02d,%c,0,%s", variable.c_str(), position, length, type, code.c_str());
  return text;
}

TEST_F(Repository, FieldsReadAsTheirTypeSays) {
  const std::tuple<std::string, const char*, const char*> cases[] = {{descriptorOf("DITX$", 3, 8, '2'), "..-0012345..", "-000123.45"},
      {descriptorOf("DITX$", 1, 5, 'N'), "1-2-3", "-102-3"}, {descriptorOf("DITX$", 1, 6, '6'), "12345678", ".123456"},
      {descriptorOf("DITX$", 1, 8, '2'), "12345", "12345."}, {descriptorOf("DITX$", 1, 9, 'A'), "-00.12 ab", "-00.12 ab"},
      {descriptorOf("DITX$", 9, 5), "ABCDEFGHIJ", "IJ"}, {descriptorOf("DITX$", 11, 3), "ABCDEFGHIJ", ""}};
  for (const auto& [descriptor, record, value] : cases) EXPECT_EQ(RepoR(descriptor, 0, record), value) << descriptor;
  S().DITX = "00012ACME", S().DIPX = "99", S().SETX = "01";
  EXPECT_EQ(RepoR(T001) + RepoR(S204) + RepoR(T001, 0, "99777") + RepoR(P359), "0120177799");
  EXPECT_TRUE(dialogs.boxes().empty() && S().POSPROC == 0);
}

TEST_F(Repository, RepeatingGroupsLieTheirGroupWidthApart) {
  struct Band {
    std::string variable;
    std::int16_t width;
    std::vector<int> inside, outside;
  };
  std::vector<Band> bands = {{"DICX$", 10, {101, 102, 5000}, {1, 100}}, {"CONX$", 290, {101, 390}, {100, 391}},
      {"M77X$", 255, {256, 510, 3316, 3570}, {255, 511, 3315, 3571}}, {"F24X$", 36, {42, 66}, {41, 67}},
      {"F24X$", 63, {762, 813}, {761, 814}}, {"F24X$", 35, {}, {1076}}, {"F24X$", 51, {4359, 4398}, {4358, 4399}},
      {"F24X$", 55, {4824, 4867}, {4823, 4868}}, {"F24X$", 4, {5000}, {4999, 5001, 5093, 5430}},
      {"F24X$", 2, {5483}, {5482, 5484}}, {"DITX$", 0, {}, {200}}};
  for (int p = 1077; p <= 4117; p += 152) bands[5].inside.insert(bands[5].inside.end(), {p, p + 23}), bands[5].outside.push_back(p + 24);
  for (int p = 5094; p <= 5414; p += 16) bands[8].inside.push_back(p), bands[8].outside.push_back(p + 1);
  for (const Band& b : bands) {
    for (int p : b.inside) EXPECT_EQ(RepoSpostamento(descriptorOf(b.variable, p), 3), 2 * b.width) << b.variable << p;
    for (int p : b.inside) EXPECT_EQ(RepoSpostamento(descriptorOf(b.variable, p), 1), 0) << b.variable << p;
    for (int p : b.outside) EXPECT_EQ(RepoSpostamento(descriptorOf(b.variable, p), 3), 0) << b.variable << p;
  }
  EXPECT_EQ(RepoSpostamento(descriptorOf("DI2X$", 5, 2, 'A', "I100"), 46), 45 * 714);
  EXPECT_EQ(RepoSpostamento(descriptorOf("DI2X$", 5, 2, 'A', "I099"), 3), 0);
  EXPECT_THROW(RepoSpostamento(descriptorOf("DI2X$", 5, 2, 'A', "I100"), 47), RuntimeFailure);  // past 16 bits
  EXPECT_EQ(RepoR(descriptorOf("DICX$", 101, 2, 'N'), 3, std::string(100, '.') + "11........22........33"), "33");
  EXPECT_EQ(RepoR(descriptorOf("DI2X$", 5, 2, 'A', "T100"), 2, "....XY"), "XY");
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{"ERRORE REPOSITORY - LETTERA SCONOSCIUTA"});
}

// Bad descriptors and displacements reach the trap with RepoR in the trail
// and a description that says what is wrong; a descriptor naming no record
// variable shows its own box and ends the program.
TEST_F(Repository, BadDescriptorsEndTheProgramWithAClearMessage) {
  REGISTRAPROC("CARDITN");
  const std::pair<std::string, std::string> cases[] = {
      {"DITX$,00001,02,N,1", "Errore 5 Chiamata di routine o argomento non validi: descrittore di campo \"DITX$,00001,02,N,1\" non valido (non ha 23 caratteri)"},
      {"DITX$;00001,02,N,1,T261", "separatore mancante"}, {"DITX$,   12,02,N,1,T261", "posizione non numerica"},
      {"DITX$,00000,02,N,1,T261", "posizione 0"},         {"DITX$,00001,-2,N,1,T261", "lunghezza non numerica"},
      {"DITX$,00001,02,X,1,T261", "tipo sconosciuto"},    {"DITX$,00001,03,4,1,T261", "lunghezza minore dei decimali"},
      {descriptorOf("DICX$", 101), "posizione -9"},
      {descriptorOf("DI2X$", 5, 2, 'A', "I100"), "Errore 6 Overflow\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\nCARDITN\r\nRepoR\r\n"},
      {"DITY$,00001,02,N,1,T261", "ERRORE REPOSITORY - STRCOSTANTE"},
  };
  for (const auto& [descriptor, text] : cases) {
    const std::size_t shown = dialogs.boxes().size();
    EXPECT_THROW(RepoR(descriptor, descriptor.find("I100") != std::string::npos ? 100 : -10), ProgramEnded);
    EXPECT_NE(dialogs.boxes()[shown].text.find(text), std::string::npos) << dialogs.boxes()[shown].text;
  }
}

}  // namespace
}  // namespace vt
