// File numbers and paths: the file table, the placeholders and the context
// values, opening and closing under file numbers.
#include <gtest/gtest.h>

#include "core/state.h"
#include "platform/files.h"
#include "record_files_fixture.h"
#include "records/files.h"

namespace vt {
namespace {

using testing::FileRow;

std::string path(double number) {
  std::int16_t relative = -1;
  return DAMMIFILE(number, relative);
}

class FileNumbers : public testing::RecordFilesTest {};

TEST_F(FileNumbers, TheCompanyAndYearPlaceholdersTakeTheNormalisedContextValues) {
  writeTable({{40, {"D###\\A**DATI.DAT", 100}}, {41, {"WKTASK$$.DAT", 50}}});
  S().DITTAOPEN = "7";
  S().ANNOOPEN = "2005";
  EXPECT_EQ(path(40), "C:\\ARCHIVI\\D007\\A05DATI.DAT");
  EXPECT_EQ(S().LUNGBASE, 100);
  // The one-shot values are consumed by the path that used them.
  EXPECT_EQ(S().DITTAOPEN, "");
  EXPECT_EQ(S().ANNOOPEN, "");

  S().DITTAOPEN = "1234";
  S().ANNOOPEN = "5";
  S().NUMEROTASK = "07";
  EXPECT_EQ(path(41), "C:\\ARCHIVI\\WKTASK07.DAT");
  // A template without them leaves them set, but normalised.
  EXPECT_EQ(S().DITTAOPEN, "234");
  EXPECT_EQ(S().ANNOOPEN, "05");
  EXPECT_EQ(S().NUMEROTASK, "07");
}

TEST_F(FileNumbers, ValuesFillOnlyTheirPlaceholdersWidth_InPlace) {
  writeTable({{1, {"T$$X@@Y%%.DAT", 10}}});
  S().NUMEROTASK = "3";
  S().REGIONEOPEN = "9";
  S().PROVINCIAOPEN = "MI";
  EXPECT_EQ(path(1), "C:\\ARCHIVI\\T3$X09YMI.DAT");
  EXPECT_EQ(S().REGIONEOPEN, "");
  EXPECT_EQ(S().PROVINCIAOPEN, "");
}

TEST_F(FileNumbers, TheDrivePlaceholderTakesALetterOrTheWholeValue_AndTheArchiveDirectoryIsNotPrefixed) {
  writeTable({{5, {"!:\\TESSARO\\X.DAT", 10}}});
  std::int16_t relative = -1;
  S().DRIVEOPEN = "A";
  EXPECT_EQ(DAMMIFILE(5, relative), "A:\\TESSARO\\X.DAT");
  EXPECT_EQ(relative, 0);
  EXPECT_EQ(S().DRIVEOPEN, "");

  S().DRIVEOPEN = "B:";
  EXPECT_EQ(path(5), "B:\\TESSARO\\X.DAT");
  S().DRIVEOPEN = "D:";
  EXPECT_EQ(path(5), "D:\\TESSARO\\X.DAT");
  S().DRIVEOPEN = "\\\\SERVER\\DATI";
  EXPECT_EQ(path(5), "\\\\SERVER\\DATI\\TESSARO\\X.DAT");
  // An empty drive leaves a path from the root of the current drive.
  EXPECT_EQ(path(5), "\\TESSARO\\X.DAT");
}

TEST_F(FileNumbers, AMissingContextValueEndsTheProgramWithItsMessage) {
  writeTable({{12, {"###\\DIP.DAT", 10}}, {13, {"AN**.DAT", 10}}, {14, {"RG@@.DAT", 10}}, {15, {"PR%%.DAT", 10}}});
  S().DITTAOPEN = "5";
  EXPECT_EQ(path(12), "C:\\ARCHIVI\\005\\DIP.DAT");
  // A second open of a company file without setting the company again.
  EXPECT_THROW(path(12), ProgramEnded);
  EXPECT_THROW(path(13), ProgramEnded);
  EXPECT_THROW(path(14), ProgramEnded);
  S().PROVINCIAOPEN = "M";
  EXPECT_THROW(path(15), ProgramEnded);
  const auto& boxes = dialogs.boxes();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].text, "ERRORE OPEN FILE - MANCA DITTAOPEN 12");
  EXPECT_EQ(boxes[1].text, "ERRORE OPEN - MANCA ANNO - 13");
  EXPECT_EQ(boxes[2].text, "ERRORE OPEN - MANCA REGIONE - 14");
  EXPECT_EQ(boxes[3].text, "ERRORE OPEN - MANCA PROVINCIA - 15");
  for (const auto& box : boxes) {
    EXPECT_EQ(box.buttons, Buttons::kOk);
    EXPECT_EQ(box.icon, Icon::kNone);
    EXPECT_EQ(box.title, "");
  }
}

TEST_F(FileNumbers, TheTrailNamesThePathResolutionWithItsNumber) {
  writeTable({{201, {"STDITTE.DAT", 40}}});
  FAIOPEN(201);
  EXPECT_EQ(S().ULTIMEPROC[1], "FAIOPEN");
  EXPECT_EQ(S().ULTIMEPROC[2], "DAMMIFILE$ (201)");
}

TEST_F(FileNumbers, FaiopenOpensShared_CreatingAnAbsentFile_WithABlankBuffer) {
  writeTable({{8, {"WKSETT.DAT", 400}}});
  EXPECT_EQ(FAIOPEN(8), 400);
  EXPECT_NE(S().NUMEROFILE[8], 0);
  EXPECT_EQ(S().BUFFERREC[8], std::string(400, ' '));
  EXPECT_EQ(S().LUNGREC[8], 400);
  EXPECT_TRUE(archiveExists("WKSETT.DAT"));
  EXPECT_EQ(archive("WKSETT.DAT"), "");

  // Opening it again closes the earlier handle first: one handle stays open.
  FAIOPEN(8);
  const std::int16_t handle = S().NUMEROFILE[8];
  EXPECT_TRUE(platform::isOpen(handle));
  EXPECT_EQ(platform::freeHandle(), handle + 1);

  CHIUDIFILE(8);
  EXPECT_EQ(S().NUMEROFILE[8], 0);
  EXPECT_FALSE(platform::isOpen(handle));
  EXPECT_EQ(S().LUNGREC[8], 400);
}

TEST_F(FileNumbers, NumbersOfZeroOrLessTouchNothing) {
  writeTable({{1, {"WKDITTE.DAT", 10}}});
  S().DITTAOPEN = "7";
  EXPECT_EQ(FAIOPEN(0), 0);
  EXPECT_EQ(FAIOPEN(-3), 0);
  EXPECT_EQ(VERBASE(0), 0);
  EXPECT_EQ(path(-1), "");
  EXPECT_EQ(S().DITTAOPEN, "7");
  EXPECT_EQ(S().LUNGBASE, 0);
  EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(FileNumbers, VerbaseTellsWhetherTheFileHasData) {
  writeTable({{201, {"ST1.DAT", 10}}, {202, {"ST2.DAT", 10}}, {203, {"ST3.DAT", 10}}});
  writeArchive("ST1.DAT", "0123456789");
  writeArchive("ST2.DAT", "");
  EXPECT_EQ(VERBASE(201), 1);
  EXPECT_EQ(VERBASE(202), 0);
  EXPECT_EQ(VERBASE(203), 0);
  EXPECT_FALSE(archiveExists("ST3.DAT"));
}

TEST_F(FileNumbers, CloseAllClosesEveryNumber) {
  writeTable({{1, {"A.DAT", 10}}, {2, {"B.DAT", 10}}});
  FAIOPEN(1);
  FAIOPEN(2);
  const std::int16_t h1 = S().NUMEROFILE[1];
  const std::int16_t h2 = S().NUMEROFILE[2];
  CHIUDIFILE(0);
  EXPECT_EQ(S().NUMEROFILE[1], 0);
  EXPECT_EQ(S().NUMEROFILE[2], 0);
  EXPECT_FALSE(platform::isOpen(h1));
  EXPECT_FALSE(platform::isOpen(h2));
}

// A damaged file table or an unusable number reaches the trap with a clear
// message and ends the program; nothing is opened or created.
TEST_F(FileNumbers, ADamagedFileTableOrABadNumberReachesTheTrap) {
  std::string table = testing::baseTable({{1, {"A.DAT", 10}}, {3, {"C.DAT", 0}}, {4, {"D.DAT", -5}}});
  table += testing::baseRow({"E.DAT", 40}).replace(32, 5, "  ABC");
  writeArchive("WKBASE.DAT", table);
  struct Case {
    double number;
    std::int16_t code;
  };
  const Case cases[] = {{2, 52}, {6, 52}, {3, 59}, {4, 59}, {5, 59}, {601, 52}, {1.5, 52}};
  for (const Case& c : cases) {
    const std::size_t before = dialogs.boxes().size();
    EXPECT_THROW(FAIOPEN(c.number), ProgramEnded) << c.number;
    ASSERT_EQ(dialogs.boxes().size(), before + 2);
    const std::string& text = dialogs.boxes()[before].text;
    EXPECT_EQ(text.rfind("Errore " + std::to_string(c.code) + " ", 0), 0u) << c.number << ": " << text;
  }
  EXPECT_FALSE(archiveExists("C.DAT"));
  EXPECT_FALSE(archiveExists("D.DAT"));
  EXPECT_FALSE(archiveExists("E.DAT"));
}

TEST_F(FileNumbers, AMissingFileTableOrArchiveDirectoryReachesTheTrap) {
  S().PERARK = "C:\\NONCE";
  EXPECT_THROW(FAIOPEN(1), ProgramEnded);
  EXPECT_NE(firstBox().find("C:\\NONCE\\WKBASE.DAT"), std::string::npos) << firstBox();

  writeTable({{1, {"MANCA\\A.DAT", 10}}});
  S().PERARK = "C:\\ARCHIVI";
  EXPECT_THROW(FAIOPEN(1), ProgramEnded);
  EXPECT_EQ(dialogs.boxes()[2].text.rfind("Errore 76 ", 0), 0u) << dialogs.boxes()[2].text;
}

}  // namespace
}  // namespace vt
