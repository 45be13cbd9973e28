// The real menu window on the offscreen platform: keys and clicks reach the
// choice window, and what it hands back is what the operator picked.
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "core/state.h"
#include "scripted_dialogs.h"
#include "temp_install.h"
#include "ui/choice_window.h"
#include "ui/qt/choice_view.h"
#include "ui/qt/qt_dialogs.h"

using vt::S;
using vt::Scelta;

namespace {

const char* const kArchiveMenu =
    "1 - ARCHIVIO DITTE     *2 - ARCHIVIO DIPENDENTI*3 - ARCHIVIO FORMULE   *"
    "4 - ARCHIVIO SETTORI   *5 - ARCHIVIO DATI FISSI*6 - ARCHIVIO PROFILI    ";

// The archive menu loaded into a choice window and shown in its real view.
struct ShownMenu {
  ShownMenu() {
    S().ELENCOSCELTE = kArchiveMenu;
    window.LabelTitolo = "GESTIONE ARCHIVI STANDARD";
    window.ETIC[1] = "LISTA ARCHIVI";
    view = vt::qt::makeChoiceView(window);
    window.load();
    view->show();
    list = view->findChild<QListWidget*>("lstElenco");
  }
  Scelta window;
  std::unique_ptr<QDialog> view;
  QListWidget* list = nullptr;
};

}  // namespace

class ChoiceViewTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<vt::testing::TempFolder>();
    S().NOMEPROGRAMMA = "VTMERV";
    S().NOMEPROGETTO = "VTMERV";
  }
  void cleanup() { folder_.reset(); }

  void showsTheSixArchivesWithIconsInAFixedPitchFont() {
    vt::testing::ScriptedDialogs boxes;
    ShownMenu menu;
    QVERIFY(QTest::qWaitForWindowExposed(menu.view.get()));
    QVERIFY(menu.list != nullptr);
    QCOMPARE(menu.list->count(), 6);
    QCOMPARE(menu.list->item(0)->text(), QString("1 - ARCHIVIO DITTE"));
    QCOMPARE(menu.list->item(5)->text(), QString("6 - ARCHIVIO PROFILI    "));
    for (int i = 0; i < menu.list->count(); ++i) QVERIFY(!menu.list->item(i)->icon().isNull());
    QVERIFY(QFontInfo(menu.list->font()).fixedPitch());
    auto* title = menu.view->findChild<QLabel*>("LabelTitolo");
    QVERIFY(title != nullptr);
    QCOMPARE(title->text(), QString("GESTIONE ARCHIVI STANDARD"));
    QCOMPARE(menu.view->findChild<QLabel*>("ETIC1")->text(), QString("LISTA ARCHIVI"));
    QCOMPARE(menu.list->currentRow(), 0);
  }

  void arrowsToTheThirdEntryThenEnterChoosesIt() {
    vt::testing::ScriptedDialogs boxes;
    ShownMenu menu;
    QTest::keyClick(menu.list, Qt::Key_Down);
    QTest::keyClick(menu.list, Qt::Key_Down);
    QCOMPARE(menu.list->currentRow(), 2);
    QVERIFY(!menu.window.isClosed());
    QTest::keyClick(menu.list, Qt::Key_Return);
    QVERIFY(menu.window.isClosed());
    QCOMPARE(S().NUMEROSCELTA, 3.0);
    QCOMPARE(QString::fromStdString(S().TABTESTI[49]), QString("3 - ARCHIVIO FORMULE"));
    QVERIFY(!menu.view->isVisible());
  }

  void escapeLeavesWithNoChoiceAndNoText() {
    vt::testing::ScriptedDialogs boxes;
    ShownMenu menu;
    QTest::keyClick(menu.list, Qt::Key_Down);
    QTest::keyClick(menu.list, Qt::Key_Escape);
    QVERIFY(menu.window.isClosed());
    QCOMPARE(S().NUMEROSCELTA, 0.0);
    QCOMPARE(QString::fromStdString(S().TABTESTI[49]), QString());
    QVERIFY(!menu.view->isVisible());
  }

  void ctrlShiftPShowsTheInformationBoxAndKeepsTheSelection() {
    vt::testing::ScriptedDialogs boxes;
    ShownMenu menu;
    QTest::keyClick(menu.list, Qt::Key_Down);
    QTest::keyClick(menu.list, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(boxes.boxes().size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(boxes.boxes()[0].title), QString("Informazioni Progetto tessaro"));
    QCOMPARE(QString::fromStdString(boxes.boxes()[0].text),
             QString("Programma tessaro\r\rNome EXE : VTMERV.EXE\rNome VBP : VTMERV.VBP\r"));
    QVERIFY(boxes.boxes()[0].icon == vt::Icon::kInformation);
    QCOMPARE(menu.list->currentRow(), 1);
    QCOMPARE(menu.window.selected(), std::optional<std::size_t>(1));
    QVERIFY(!menu.window.isClosed());
  }

  void doubleClickChoosesAndTheExitButtonLeaves() {
    vt::testing::ScriptedDialogs boxes;
    {
      ShownMenu menu;
      QListWidgetItem* fourth = menu.list->item(3);
      QPoint centre = menu.list->visualItemRect(fourth).center();
      QTest::mouseClick(menu.list->viewport(), Qt::LeftButton, {}, centre);
      QTest::mouseDClick(menu.list->viewport(), Qt::LeftButton, {}, centre);
      QVERIFY(menu.window.isClosed());
      QCOMPARE(S().NUMEROSCELTA, 4.0);
      QCOMPARE(QString::fromStdString(S().TABTESTI[49]), QString("4 - ARCHIVIO SETTORI"));
    }
    {
      ShownMenu menu;
      QTest::mouseClick(menu.view->findChild<QPushButton*>("cmdUscita"), Qt::LeftButton);
      QVERIFY(menu.window.isClosed());
      QCOMPARE(S().NUMEROSCELTA, 0.0);
      QCOMPARE(QString::fromStdString(S().TABTESTI[49]), QString());
    }
  }

  // Through the program's own Qt dialog interface: the window is modal and
  // showModal returns when the operator has chosen.
  void theModalWindowOfTheDialogInterfaceReturnsTheChoice() {
    vt::qt::QtDialogs qtDialogs;
    vt::Dialogs* previous = vt::setDialogs(&qtDialogs);
    qtDialogs.registerView(std::string(Scelta::kFormName), vt::qt::makeChoiceView);
    S().ELENCOSCELTE = kArchiveMenu;
    Scelta window;
    QTimer::singleShot(0, [] {
      QWidget* modal = QApplication::activeModalWidget();
      auto* list = modal != nullptr ? modal->findChild<QListWidget*>("lstElenco") : nullptr;
      if (list == nullptr) return;
      for (int i = 0; i < 5; ++i) QTest::keyClick(list, Qt::Key_Down);
      QTest::keyClick(list, Qt::Key_Enter);
    });
    qtDialogs.showModal(window);
    vt::setDialogs(previous);
    QVERIFY(window.isClosed());
    QCOMPARE(S().NUMEROSCELTA, 6.0);
    QCOMPARE(QString::fromStdString(S().TABTESTI[49]), QString("6 - ARCHIVIO PROFILI    "));
  }

 private:
  std::unique_ptr<vt::testing::TempFolder> folder_;
};

QTEST_MAIN(ChoiceViewTest)
#include "choice_view_qttest.moc"
