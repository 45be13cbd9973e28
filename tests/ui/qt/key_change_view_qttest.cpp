// The key change dialog on screen: keys typed into the real line edits, and
// the boxes showing exactly the buffers the editor holds.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "core/dialogs.h"
#include "core/state.h"
#include "file_table.h"
#include "records/files.h"
#include "records/isam.h"
#include "scripted_dialogs.h"
#include "temp_install.h"
#include "ui/key_change.h"
#include "ui/qt/cp1252.h"
#include "ui/qt/key_change_view.h"
#include "ui/qt/lookup_list_view.h"
#include "util/text.h"

namespace vt {

constexpr int kCompanyRecordLength = 40;
constexpr int kIndexRecordLength = (10 + 7) * 128;

class KeyChangeViewTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<testing::TempFolder>();
    S().PERARK = "C:\\ARCHIVI";
    folder_->write("drives/C/ARCHIVI/WKBASE.DAT",
                   testing::baseTable({{1, {"WKDITTE.DAT", kCompanyRecordLength}}, {7, {"WKDIPK.DAT", kIndexRecordLength}}}));
    std::string companies;
    for (int code = 1; code <= 3; ++code) {
      companies += fitRight("00" + zeroPad(std::to_string(code), 3) + "DITTA " + std::to_string(code), kCompanyRecordLength);
    }
    folder_->write("drives/C/ARCHIVI/WKDITTE.DAT", companies);
    FAIOPEN(1);
    FAIOPEN(7);
    ISAM(7, "", kIsamInitialise);
    S().TABPARAM[kParamKeyIndexFile] = 7;

    dialogs_ = std::make_unique<testing::ScriptedDialogs>();
    presenter_ = std::make_unique<Codnuo>();
    std::unique_ptr<QDialog> made = qt::makeKeyChangeView(*presenter_);
    view_.reset(static_cast<qt::KeyChangeView*>(made.release()));
    presenter_->load();
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    view_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(view_.get()));
  }

  void cleanup() {
    view_.reset();
    presenter_.reset();
    dialogs_.reset();
    folder_.reset();
  }

  void theDialogShowsItsCaptionsLabelsAndCompanies() {
    QCOMPARE(view_->windowTitle(), QString("Variazione Chiave - Codice Nuovo"));
    QCOMPARE(view_->objectName(), QString("CODNUO"));
    QCOMPARE(view_->companies()->count(), 3);
    QCOMPARE(view_->companies()->item(1)->text(), QString("002 ") + QString("DITTA 2").leftJustified(30) + " ");
    QCOMPARE(view_->label(0)->text(), QString(" Ditta     "));
    QCOMPARE(view_->label(2)->text(), QString(" Dipendente"));
    QCOMPARE(view_->confirmButton()->text(), QString("&Conferma"));
    QCOMPARE(view_->exitButton()->text(), QString("&Uscita"));
    QCOMPARE(view_->box(0)->text(), QString("0   "));
    QCOMPARE(QApplication::focusWidget(), view_->box(0));
    // The current field's label is white on black, the others black on white.
    QCOMPARE(view_->label(0)->palette().color(QPalette::Window), QColor(Qt::black));
    QCOMPARE(view_->label(0)->palette().color(QPalette::WindowText), QColor(Qt::white));
    QCOMPARE(view_->label(1)->palette().color(QPalette::Window), QColor(Qt::white));
    // Command1 is there for Enter, but outside the visible area.
    QVERIFY(view_->defaultButton()->isVisible());
    QVERIFY(!view_->rect().intersects(view_->defaultButton()->geometry()));
  }

  void digitsFillTheBoxAsTheBufferDoes() {
    QLineEdit* box = view_->box(0);
    QTest::keyClicks(box, "12");
    QVERIFY(shows(0, "12  ", 2));
    QTest::keyClick(box, Qt::Key_3);
    QVERIFY(shows(0, "123 ", 2));
    QTest::keyClick(box, Qt::Key_4);
    QVERIFY(shows(0, "124 ", 2));
    // Letters, blanks and points beep and change nothing.
    QTest::keyClicks(box, "a .");
    QVERIFY(shows(0, "124 ", 2));
    QCOMPARE(dialogs_->beeps(), 3);
  }

  void backspaceDeleteAndTheArrowsKeepTheBoxOnItsBuffer() {
    QLineEdit* box = view_->box(0);
    QTest::keyClicks(box, "123");
    QTest::keyClick(box, Qt::Key_Right);
    QVERIFY(shows(0, "123 ", 3));
    QTest::keyClick(box, Qt::Key_Right);
    QVERIFY(shows(0, "123 ", 3));
    QTest::keyClick(box, Qt::Key_Left);
    QVERIFY(shows(0, "123 ", 2));
    QTest::keyClick(box, Qt::Key_Backspace);
    QVERIFY(shows(0, "1 3 ", 1));
    QTest::keyClick(box, Qt::Key_Home);
    QCOMPARE(box->cursorPosition(), 0);
    QTest::keyClick(box, Qt::Key_Delete);
    QVERIFY(shows(0, "1 3 ", 1));
    QTest::keyClick(box, Qt::Key_Home);
    QTest::keyClick(box, Qt::Key_Backspace);
    QVERIFY(shows(0, "1 3 ", 0));
    QCOMPARE(dialogs_->beeps(), 1);
    QTest::keyClick(box, Qt::Key_End);
    QCOMPARE(box->cursorPosition(), 4);
    QTest::keyClick(box, Qt::Key_Left);
    QTest::keyClick(box, Qt::Key_Left);
    QTest::keyClick(box, Qt::Key_9);
    QVERIFY(shows(0, "1 9 ", 2));
    QTest::keyClick(box, Qt::Key_Backspace, Qt::ControlModifier);
    QVERIFY(shows(0, "    ", 0));
  }

  void whatTheLineEditDoesByItselfIsUndone() {
    QLineEdit* box = view_->box(1);
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), box);
    QTest::keyClick(box, Qt::Key_Home);
    QTest::keyClicks(box, "45");
    QVERIFY(shows(1, "45  ", 2));
    box->selectAll();
    box->insert("999999");  // what a paste does
    QVERIFY(shows(1, "45  ", 2));
    box->selectAll();
    box->cut();
    QVERIFY(shows(1, "45  ", 2));
    QCOMPARE(text(presenter_->key()), QString("0000000000"));
  }

  void enterMovesFromBoxToBox_AndAfterTheLastRunsTheCheck() {
    QTest::keyClick(view_->box(0), Qt::Key_Return);
    QCOMPARE(presenter_->focusedBox(), 1);
    QCOMPARE(QApplication::focusWidget(), view_->box(1));
    QCOMPARE(view_->label(1)->palette().color(QPalette::Window), QColor(Qt::black));
    QCOMPARE(view_->label(0)->palette().color(QPalette::Window), QColor(Qt::white));

    QTest::keyClick(view_->box(1), Qt::Key_Up);
    QCOMPARE(QApplication::focusWidget(), view_->box(0));
    QTest::keyClicks(view_->box(0), "2");
    QTest::keyClick(view_->box(0), Qt::Key_Return);
    QTest::keyClicks(view_->box(1), "1");
    QTest::keyClick(view_->box(1), Qt::Key_Enter);
    QCOMPARE(QApplication::focusWidget(), view_->box(2));
    QTest::keyClicks(view_->box(2), "77");
    QVERIFY(shows(2, "77   ", 2));
    QTest::keyClick(view_->box(2), Qt::Key_Return);
    QVERIFY(dialogs_->messageTexts() == std::vector<std::string>{"CONTINUARE ? "});
    QVERIFY(presenter_->isClosed());
    QCOMPARE(text(S().TABTESTI[kKeyEntry]), QString("0020010077"));
    QVERIFY(!view_->isVisible());
  }

  void theCompaniesListPicksWithEnterAndF1ReachesIt() {
    QTest::keyClick(view_->box(0), Qt::Key_F1);
    QCOMPARE(QApplication::focusWidget(), view_->companies());
    QVERIFY(!view_->defaultButton()->isVisible());
    QTest::keyClick(view_->companies(), Qt::Key_Down);
    QTest::keyClick(view_->companies(), Qt::Key_Down);
    QTest::keyClick(view_->companies(), Qt::Key_Return);
    QCOMPARE(text(presenter_->key()), QString("0020000000"));
    QVERIFY(shows(0, "2   ", 0));
    QCOMPARE(QApplication::focusWidget(), view_->box(1));
  }

  void escapeAndUscitaCloseWithoutAKey() {
    QTest::keyClicks(view_->box(0), "5");
    QTest::keyClick(view_->box(0), Qt::Key_Escape);
    QVERIFY(presenter_->isClosed());
    QCOMPARE(text(S().TABTESTI[kKeyEntry]), QString());
    QVERIFY(!view_->isVisible());
  }

  void confermaTakesTheBoxesAsShown() {
    QTest::keyClicks(view_->box(0), "12");
    QTest::mouseClick(view_->box(2), Qt::LeftButton);
    QTest::keyClick(view_->box(2), Qt::Key_Home);
    QTest::keyClicks(view_->box(2), "34");
    QTest::mouseClick(view_->confirmButton(), Qt::LeftButton);
    QVERIFY(presenter_->isClosed());
    QCOMPARE(text(S().TABTESTI[kKeyEntry]), QString("0120000034"));
    QVERIFY(dialogs_->boxes().empty());
  }

  void theLookupListShowsTheInformationBoxOnCtrlShiftPOnly() {
    Lista list;
    std::unique_ptr<QDialog> view = qt::makeLookupListView(list);
    list.load();
    view->show();
    auto* listView = static_cast<qt::LookupListView*>(view.get());
    QCOMPARE(view->windowTitle(), QString("Lista"));
    QCOMPARE(listView->textLine(4)->text(), QString("Etichetta1"));
    QTest::keyClick(listView->list(), Qt::Key_P, Qt::ControlModifier);
    QTest::keyClick(listView->list(), Qt::Key_P, Qt::ShiftModifier);
    QTest::keyClick(view.get(), Qt::Key_P, Qt::ControlModifier);
    QVERIFY(dialogs_->boxes().empty());
    QTest::keyClick(listView->list(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(dialogs_->boxes().size(), std::size_t{1});
    QTest::keyClick(view.get(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(dialogs_->boxes().size(), std::size_t{2});
    QCOMPARE(text(dialogs_->boxes()[1].title), QString("Informazioni Progetto tessaro"));
  }

 private:
  static QString text(const std::string& s) { return qt::fromCp1252(s); }

  // Box i shows `text` with the caret at `caret`, exactly its buffer and
  // one blank.
  bool shows(int i, const std::string& text, int caret) {
    [&] {
      QCOMPARE(view_->box(i)->text(), qt::fromCp1252(text));
      QCOMPARE(view_->box(i)->text(), qt::fromCp1252(presenter_->editor().BUFCAMPO[i + 1] + " "));
      QCOMPARE(view_->box(i)->cursorPosition(), caret);
      QCOMPARE(presenter_->box(i).caret, caret);
    }();
    return !QTest::currentTestFailed();
  }

  std::unique_ptr<testing::TempFolder> folder_;
  std::unique_ptr<testing::ScriptedDialogs> dialogs_;
  std::unique_ptr<Codnuo> presenter_;
  std::unique_ptr<qt::KeyChangeView> view_;
};

}  // namespace vt

QTEST_MAIN(vt::KeyChangeViewTest)
#include "key_change_view_qttest.moc"
