// The real views on the offscreen platform over the sample installation:
// keys, clicks and double clicks reach the presenters.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "records/files.h"
#include "scripted_dialogs.h"
#include "ui/archives.h"
#include "temp_install.h"
#include "ui/browser.h"
#include "ui/choice_window.h"
#include "ui/copy_window.h"
#include "ui/key_change.h"
#include "ui/qt/choice_view.h"
#include "ui/qt/key_change_view.h"
#include "ui/qt/two_list_views.h"

namespace vt {

class ViewsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<testing::TempFolder>();
    folder_->installSample();
    dialogs_ = std::make_unique<testing::ScriptedDialogs>();
    S().PERARK = "C:\\PWELKIN\\ARCHIVI";
  }
  void cleanup() {
    dialogs_.reset();
    folder_.reset();
  }

  void theBrowserTakesEnterDoubleClickAndItsButtons() {
    setArchiveLayout(kMenuArchives[0]);  // companies
    FAIOPEN(kStandardCompanyFile);
    Filesta2 copy;
    Filestan browser(copy);
    std::unique_ptr<QDialog> view = qt::makeBrowserView(browser);
    browser.load();
    view->show();
    auto* standard = view->findChild<QListWidget*>("standardList");
    auto* chosen = view->findChild<QListWidget*>("chosenList");
    standard->setCurrentRow(2);
    QTest::keyClick(standard, Qt::Key_Return);
    QCOMPARE(chosen->count(), 1);
    QCOMPARE(chosen->item(0)->text().left(3), QString("003"));
    view->findChild<QPushButton*>("chooseAll")->click();
    QCOMPARE(chosen->count(), 7);
    const QRect place = chosen->visualItemRect(chosen->item(0));
    QTest::mouseClick(chosen->viewport(), Qt::LeftButton, {}, place.center());
    QTest::mouseDClick(chosen->viewport(), Qt::LeftButton, {}, place.center());
    QCOMPARE(chosen->count(), 6);
    view->findChild<QPushButton*>("confirm")->click();
    QVERIFY(browser.isClosed());
    QCOMPARE(copy.lines(Filesta2::kChosenList).size(), std::size_t{6});
    // Both windows draw the strip under the heading as a row of upper half blocks.
    const std::unique_ptr<QDialog> copyView = qt::makeCopyWindowView(copy);
    for (QDialog* shown : {view.get(), copyView.get()}) {
      QCOMPARE(shown->findChild<QLabel*>("decorativeStrip")->text(), QString(13, QChar(0x2580)));
    }
  }

  void theMenuTakesEnterAndEscape() {
    for (Qt::Key last : {Qt::Key_Return, Qt::Key_Escape}) {
      S().ELENCOSCELTE = "1 - ARCHIVIO DITTE     *2 - ARCHIVIO DIPENDENTI*3 - ARCHIVIO FORMULE   ";
      Scelta menu;
      std::unique_ptr<QDialog> view = qt::makeChoiceView(menu);
      menu.load();
      view->show();
      auto* list = view->findChild<QListWidget*>("lstElenco");
      QTest::keyClick(list, Qt::Key_Down);
      QTest::keyClick(list, Qt::Key_Down);
      QTest::keyClick(list, last);
      QVERIFY(menu.isClosed());
      QCOMPARE(S().NUMEROSCELTA, last == Qt::Key_Return ? 3.0 : 0.0);
      QCOMPARE(QString::fromStdString(S().TABTESTI[kTextChosenArchive]), last == Qt::Key_Return ? "3 - ARCHIVIO FORMULE   " : "");
    }
  }

  void theKeyChangeBoxesTakeDigitsCtrlBackspaceF1AndEnter() {
    FAIOPEN(kUserCompanyFile);
    FAIOPEN(kEmployeeIndexFile);
    S().TABPARAM[kParamKeyIndexFile] = kEmployeeIndexFile;
    Codnuo presenter;
    std::unique_ptr<QDialog> made = qt::makeKeyChangeView(presenter);
    auto* view = static_cast<qt::KeyChangeView*>(made.get());
    presenter.load();
    view->show();
    view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(view));
    QTest::keyClicks(view->box(0), "12");
    QCOMPARE(view->box(0)->text(), QString("12  "));
    QTest::keyClick(view->box(0), Qt::Key_Backspace, Qt::ControlModifier);
    QCOMPARE(view->box(0)->text(), QString("    "));
    QTest::keyClick(view->box(0), Qt::Key_F1);
    QCOMPARE(QApplication::focusWidget(), view->companies());
    QTest::keyClick(view->companies(), Qt::Key_Down);
    QTest::keyClick(view->companies(), Qt::Key_Down);
    QTest::keyClick(view->companies(), Qt::Key_Return);
    QCOMPARE(QString::fromStdString(presenter.key()), QString("0030000000"));
    QTest::keyClicks(view->box(1), "1");
    QTest::keyClick(view->box(1), Qt::Key_Return);
    QCOMPARE(QString::fromStdString(presenter.key()), QString("0030010000"));
    QCOMPARE(QApplication::focusWidget(), view->box(2));
  }

 private:
  std::unique_ptr<testing::TempFolder> folder_;
  std::unique_ptr<testing::ScriptedDialogs> dialogs_;
};

}  // namespace vt

QTEST_MAIN(vt::ViewsTest)
#include "views_qttest.moc"
