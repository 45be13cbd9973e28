// The program from start to end on the sample installation: the archive menu,
// the chosen archive's layout, the messages that end the run, and the task
// file after a normal end.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "core/state.h"
#include "platform/files.h"
#include "sample/sample_installation.h"
#include "scripted_dialogs.h"
#include "startup/main_program.h"
#include "suite_folder.h"
#include "ui/browser.h"
#include "ui/choice_window.h"

namespace vt {
namespace {

using testing::ScriptedDialogs;
using testing::SuiteFolder;
using testing::ThrowingEndHook;

const std::string kArchives = "drives/C/PWELKIN/ARCHIVI/";
const std::string kTaskLine07 = "07" + std::string(98, ' ') + "\r\n";

// The sample installation in a suite folder, the task file saying "07", the
// dialogs scripted and the end of the program observable.
struct SampleRun {
  SampleRun() {
    suite.createSample();
    suite.writeTaskFile("07 VTMERV\r\n");
  }
  // The menu picks entry `choice` (1-based) and presses Enter; 0 presses Escape.
  void chooseInMenu(int choice) {
    boxes.onWindow("Scelta", [choice](WindowPresenter& w) {
      auto& menu = dynamic_cast<Scelta&>(w);
      if (choice == 0) {
        menu.listKeyPress(Scelta::kEscape);
        return;
      }
      menu.select(static_cast<std::size_t>(choice - 1));
      menu.listKeyPress(Scelta::kEnter);
    });
  }
  // Runs MAIN to its end and returns how it ended.
  EndReason runToTheEnd() {
    try {
      MAIN();
    } catch (const ProgramEnded& ended) {
      return ended.reason;
    }
    ADD_FAILURE() << "MAIN returned";
    return EndReason::kAtOnce;
  }
  std::array<int, 6> layout() const {
    return {S().TABPARAM[1], S().TABPARAM[9], S().TABPARAM[2], S().TABPARAM[3], S().TABPARAM[4], S().TABPARAM[5]};
  }

  SuiteFolder suite;
  ScriptedDialogs boxes;
  ThrowingEndHook end;
};

TEST(StartUp, TheMenuOffersTheSixArchivesUnderItsTitles) {
  SampleRun run;
  std::vector<std::string> entries;
  std::string title;
  std::string heading;
  run.boxes.onWindow("Scelta", [&](WindowPresenter& w) {
    auto& menu = dynamic_cast<Scelta&>(w);
    for (const auto& e : menu.entries()) entries.push_back(e.text);
    title = menu.LabelTitolo;
    heading = menu.ETIC[1];
    menu.exitClick();
  });
  EXPECT_EQ(run.runToTheEnd(), EndReason::kNormal);
  EXPECT_EQ(entries, (std::vector<std::string>{"1 - ARCHIVIO DITTE", "2 - ARCHIVIO DIPENDENTI", "3 - ARCHIVIO FORMULE",
                                                "4 - ARCHIVIO SETTORI", "5 - ARCHIVIO DATI FISSI",
                                                "6 - ARCHIVIO PROFILI    "}));
  EXPECT_EQ(title, "GESTIONE ARCHIVI STANDARD");
  EXPECT_EQ(heading, "LISTA ARCHIVI");
  EXPECT_EQ(S().NOMEPROGRAMMA, "VTMERV");
  EXPECT_EQ(S().NOMEPROGETTO, "VTMERV");
}

TEST(StartUp, EachChoiceOpensItsArchivesAndSetsTheirLayout_ThenBrowserAndCopyWindow) {
  struct Case {
    int choice;
    std::array<int, 6> layout;  // entries 1, 9, 2, 3, 4, 5
  };
  const Case cases[] = {
      {1, {201, 1, 3, 3, 6, 30}},      {2, {202, 2, 3, 10, 9515, 35}}, {3, {203, 401, 4, 3, 7, 18}},
      {4, {204, 8, 381, 4, 385, 16}}, {6, {206, 48, 3, 3, 6, 25}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.choice);
    SampleRun run;
    run.chooseInMenu(c.choice);
    bool archivesOpenWhileBrowsing = false;
    std::size_t linesListed = 0;
    run.boxes.onWindow("FILESTAN", [&](WindowPresenter& w) {
      auto& browser = dynamic_cast<Filestan&>(w);
      linesListed = browser.lines(Filestan::kStandardList).size();
      archivesOpenWhileBrowsing = S().NUMEROFILE[S().TABPARAM[1]] != 0 && S().NUMEROFILE[S().TABPARAM[9]] != 0;
    });
    run.boxes.onWindow("FILESTA2", [](WindowPresenter&) {});
    EXPECT_EQ(run.runToTheEnd(), EndReason::kNormal);
    EXPECT_EQ(run.layout(), c.layout);
    EXPECT_EQ(S().TABPARAM[21], c.choice);
    EXPECT_TRUE(archivesOpenWhileBrowsing);
    EXPECT_GT(linesListed, 0u);
    EXPECT_EQ(run.boxes.windowsShown(), (std::vector<std::string>{"Scelta", "FILESTAN", "FILESTA2"}));
    EXPECT_TRUE(run.boxes.boxes().empty());
    EXPECT_EQ(run.suite.taskFileContent(), kTaskLine07);
    EXPECT_EQ(S().NUMEROFILE[S().TABPARAM[1]], 0) << "every file closed at the end";
  }
}

TEST(StartUp, LeavingTheBrowserWithUscitaEndsWithoutTheCopyWindow) {
  SampleRun run;
  run.chooseInMenu(2);
  run.boxes.onWindow("FILESTAN", [](WindowPresenter& w) { dynamic_cast<Filestan&>(w).COMANDO1_CLICK(Filestan::kLeave); });
  EXPECT_EQ(run.runToTheEnd(), EndReason::kNormal);
  EXPECT_EQ(run.boxes.windowsShown(), (std::vector<std::string>{"Scelta", "FILESTAN"}));
  EXPECT_EQ(run.suite.taskFileContent(), kTaskLine07);
}

TEST(StartUp, FixedDataAreNeverCopied_APresentArchiveIsOpenedAndExplained) {
  SampleRun run;
  run.chooseInMenu(5);
  bool fixedDataOpen = false;
  run.boxes.onMessage([&](const testing::ShownBox&) { fixedDataOpen = S().NUMEROFILE[205] != 0; });
  EXPECT_EQ(run.runToTheEnd(), EndReason::kNormal);
  ASSERT_EQ(run.boxes.boxes().size(), 1u);
  const testing::ShownBox& box = run.boxes.boxes()[0];
  EXPECT_EQ(box.text,
            "ATTENZIONE !!\rArchivio gestito dall'utente...\r(per eventuali informazioni rivolgersi a Veltrani Rudivoz)");
  EXPECT_EQ(box.title, "Archivi Standard");
  EXPECT_EQ(box.icon, Icon::kInformation);
  EXPECT_EQ(box.buttons, Buttons::kOk);
  EXPECT_TRUE(fixedDataOpen);
  EXPECT_EQ(S().TABPARAM[1], 205);
  EXPECT_EQ(run.boxes.windowsShown(), (std::vector<std::string>{"Scelta"}));
  EXPECT_EQ(run.suite.taskFileContent(), kTaskLine07);
}

TEST(StartUp, AMissingOrEmptyStandardArchiveIsNamedAndEndsTheRun) {
  struct Case {
    int choice;
    std::string file;
    bool empty;  // present but empty, rather than absent
    std::string message;
  };
  const Case cases[] = {
      {5, "STDFISSI.DAT", false, "5 - ARCHIVIO DATI FISSI - ARCHIVIO NON TROVATO"},
      {1, "STDDITTE.DAT", true, "1 - ARCHIVIO DITTE - ARCHIVIO NON TROVATO"},
      {6, "STDPROFI.DAT", false, "6 - ARCHIVIO PROFILI     - ARCHIVIO NON TROVATO"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    SampleRun run;
    if (c.empty) {
      run.suite.write(kArchives + c.file, "");
    } else {
      std::filesystem::remove(run.suite.path() + "/" + kArchives + c.file);
    }
    run.chooseInMenu(c.choice);
    EXPECT_EQ(run.runToTheEnd(), EndReason::kNormal);
    ASSERT_EQ(run.boxes.boxes().size(), 1u);
    EXPECT_EQ(run.boxes.boxes()[0].text, c.message);
    EXPECT_EQ(run.boxes.boxes()[0].title, "MESSAGGIO");
    EXPECT_EQ(run.boxes.boxes()[0].icon, Icon::kNone);
    EXPECT_EQ(run.boxes.boxes()[0].buttons, Buttons::kOk);
    EXPECT_EQ(run.boxes.windowsShown(), (std::vector<std::string>{"Scelta"}));
    EXPECT_EQ(run.suite.taskFileContent(), kTaskLine07);
  }
}

TEST(StartUp, LeavingTheMenuEndsWithoutAMessage_AndTheTaskFileIsRewritten) {
  SampleRun run;
  run.chooseInMenu(0);
  EXPECT_EQ(run.runToTheEnd(), EndReason::kNormal);
  EXPECT_TRUE(run.boxes.boxes().empty());
  EXPECT_EQ(run.boxes.windowsShown(), (std::vector<std::string>{"Scelta"}));
  EXPECT_EQ(S().TABPARAM[21], 0);
  EXPECT_EQ(run.suite.taskFileContent(), kTaskLine07);
}

TEST(StartUp, AnArchiveWithNothingInUseEndsAfterTheBrowsersMessage) {
  SampleRun run;
  // Every standard sector is a free slot.
  run.suite.write(kArchives + "STDSETTO.DAT", "99" + std::string(510, ' ') + "99" + std::string(510, ' '));
  run.chooseInMenu(4);
  EXPECT_EQ(run.runToTheEnd(), EndReason::kNormal);
  ASSERT_EQ(run.boxes.messageTexts(), std::vector<std::string>{"NESSUN RECORD TROVATO"});
  EXPECT_EQ(run.boxes.windowsShown(), (std::vector<std::string>{"Scelta", "FILESTAN"}));
  EXPECT_EQ(run.suite.taskFileContent(), kTaskLine07);
}

TEST(StartUp, WithoutTheSettingsFileThePathFilesLeadToTheArchives) {
  SampleRun run;
  run.suite.clearRegistry();
  run.chooseInMenu(1);
  run.boxes.onWindow("FILESTAN", [](WindowPresenter&) {});
  run.boxes.onWindow("FILESTA2", [](WindowPresenter&) {});
  EXPECT_EQ(run.runToTheEnd(), EndReason::kNormal);
  EXPECT_EQ(S().PERARK, "C:\\PWELKIN\\ARCHIVI");
  EXPECT_EQ(S().NUMEROTASK, "07");
  EXPECT_EQ(run.boxes.windowsShown().size(), 3u);
}

TEST(StartUp, ABrokenInstallationEndsAtOnceWithoutTouchingTheTaskFile) {
  SampleRun run;
  run.suite.clearRegistry();
  run.suite.writeArchivesPathFile("\r\n");
  EXPECT_EQ(run.runToTheEnd(), EndReason::kAtOnce);
  ASSERT_EQ(run.boxes.boxes().size(), 1u);
  EXPECT_EQ(run.boxes.boxes()[0].title, "Tessaro");
  EXPECT_TRUE(run.boxes.windowsShown().empty());
  EXPECT_EQ(run.suite.taskFileContent(), "07 VTMERV\r\n");
}

}  // namespace
}  // namespace vt
