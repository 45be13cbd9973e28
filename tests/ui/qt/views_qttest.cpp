// The real views on the offscreen platform, keys pressed as the operator
// presses them: keys, clicks and double clicks reach the presenters, the
// line drawn marked is the presenter's selection, Enter presses the focused
// button (not a hidden default one), boxes show their texts as they are; and
// the wait for the task semaphore while another process holds it: the window
// keeps painting, the operator's keys and close requests do not reach it,
// the wait box comes after a second, "Annulla" gives up with nothing written,
// and the holder's release closes the box and the copy goes on as it would
// have.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <thread>

#include "core/state.h"
#include "file_table.h"
#include "other_program.h"
#include "platform/files.h"
#include "records/files.h"
#include "scripted_dialogs.h"
#include "temp_install.h"
#include "ui/archives.h"
#include "ui/browser.h"
#include "ui/choice_window.h"
#include "ui/copy_window.h"
#include "ui/employee_copy.h"
#include "ui/key_change.h"
#include "ui/lookup_list.h"
#include "ui/qt/choice_view.h"
#include "ui/qt/key_change_view.h"
#include "ui/qt/lookup_list_view.h"
#include "ui/qt/qt_dialogs.h"
#include "ui/qt/two_list_views.h"
#include "util/text.h"

namespace vt {
namespace {

// The line drawn marked: the selected row, -1 for none, -2 when the list
// frames a current line that is not the selected one.
int marked(const QListWidget* list) {
  const QList<QListWidgetItem*> selected = list->selectedItems();
  if (selected.isEmpty()) return list->currentIndex().isValid() ? -2 : -1;
  return list->currentRow() == list->row(selected.front()) ? list->currentRow() : -2;
}

bool shown(QDialog& view, WindowPresenter& presenter) {
  presenter.load();
  view.show();
  view.activateWindow();
  return QTest::qWaitForWindowActive(&view);
}

// The copy window with three chosen lines and no archive behind them.
struct CopyWindow {
  CopyWindow() { for (const char* line : {"001 A", "002 B", "003 C"}) presenter.addChosenLine(line); }
  Filesta2 presenter;
  std::unique_ptr<QDialog> view = qt::makeCopyWindowView(presenter);
};

// The key change dialog over the live companies 1 to 3.
struct KeyChange {
  explicit KeyChange(testing::TempFolder& folder) {
    S().PERARK = "C:\\ARCHIVI";
    folder.write("drives/C/ARCHIVI/WKBASE.DAT", testing::baseTable({{1, {"WKDITTE.DAT", 40}}, {201, {"WKDITTE.DAT", 40}}}));
    folder.write("drives/C/ARCHIVI/WKDITTE.DAT", fitRight("00001A", 40) + fitRight("00002B", 40) + fitRight("00003C", 40));
    FAIOPEN(1);
  }
  Codnuo presenter;
  std::unique_ptr<qt::KeyChangeView> view{static_cast<qt::KeyChangeView*>(qt::makeKeyChangeView(presenter).release())};
};

constexpr const char* kSemaphore = "C:\\PWELKIN\\ARCHIVI\\WKSEMA.DAT";
constexpr const char* kEmployees = "drives/C/PWELKIN/ARCHIVI/DIPEND.DAT";
// Standard employee 1, ROSSI, whose code the user's employee 1 carries.
const std::string kRossi = std::string(35, ' ') + " 00001";

// The Qt interface, answering Yes to the overwrite question without a box.
class AnsweringDialogs : public qt::QtDialogs {
 public:
  Answer message(const std::string&, Buttons buttons, Icon, const std::string&, DefaultButton) override {
    return buttons == Buttons::kYesNo ? Answer::kYes : Answer::kOk;
  }
};

// Counts the paint events of one widget.
class Paints : public QObject {
 public:
  explicit Paints(QWidget* widget) { widget->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    count += event->type() == QEvent::Paint ? 1 : 0;
    return false;
  }
};

}  // namespace

class ViewsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { folder_.emplace(), dialogs_.emplace(); }

  void everyListMarksThePresentersSelection_AndTheMovingKeysStopAtItsEnds() {
    KeyChange keyChange(*folder_);  // its three companies are the browser's standard archive too
    const std::int16_t layout[][2] = {{1, 201}, {2, 3}, {3, 3}, {4, 6}, {5, 30}};
    for (const auto& [entry, value] : layout) S().TABPARAM[entry] = value;
    FAIOPEN(201);
    Scelta menu;
    S().ELENCOSCELTE = "A*B*C";
    CopyWindow copy;
    Filestan browser(copy.presenter);
    Lista lookup;
    const std::unique_ptr<QDialog> menuView = qt::makeChoiceView(menu), browserView = qt::makeBrowserView(browser),
                                   lookupView = qt::makeLookupListView(lookup);
    struct List {
      QDialog* view;
      WindowPresenter* presenter;
      const char* name;
      std::function<int()> selected;
      std::function<void()> fill;  // after the window loads
      int lines;
      int atStart;
    };
    const List lists[] = {
        {menuView.get(), &menu, "lstElenco", [&] { return menu.selected() ? static_cast<int>(*menu.selected()) : -1; }, {}, 3, 0},
        {browserView.get(), &browser, "standardList", [&] { return browser.selected(0); }, {}, 3, 0},
        {browserView.get(), &browser, "chosenList", [&] { return browser.selected(1); }, [&] { browser.SCEGLITUTTI(); }, 3, -1},
        {copy.view.get(), &copy.presenter, "chosenList", [&] { return copy.presenter.selected(0); }, {}, 3, -1},
        {copy.view.get(), &copy.presenter, "userList", [&] { return copy.presenter.selected(1); },
         [&] { for (const char* line : {"1", "2", "3"}) copy.presenter.addUserLine(line); }, 3, -1},
        {keyChange.view.get(), &keyChange.presenter, "R1", [&] { return keyChange.presenter.selectedCompany(); }, {}, 3, -1},
        {lookupView.get(), &lookup, "R", [&] { return lookup.selected(); }, {}, 0, -1}};
    // Each key and the line it lands on; Key_unknown clears the selection.
    constexpr int kLast = 9;
    const std::pair<Qt::Key, int> moves[] = {
        {Qt::Key_unknown, -1}, {Qt::Key_PageDown, 0}, {Qt::Key_Up, 0}, {Qt::Key_PageUp, 0},
        {Qt::Key_End, kLast}, {Qt::Key_Down, kLast}, {Qt::Key_PageDown, kLast}, {Qt::Key_unknown, -1},
        {Qt::Key_End, kLast}, {Qt::Key_Home, 0}, {Qt::Key_Down, 1}, {Qt::Key_Up, 0}};
    for (const List& l : lists) {
      if (!l.view->isVisible()) QVERIFY(shown(*l.view, *l.presenter));
      if (l.fill) l.fill();
      auto* list = l.view->findChild<QListWidget*>(l.name);
      list->setFocus();
      QCOMPARE(QPoint(l.selected(), marked(list)), QPoint(l.atStart, l.atStart));
      for (const auto& [key, landing] : moves) {
        key == Qt::Key_unknown ? list->clearSelection() : QTest::keyClick(list, key);
        const int expected = l.lines == 0 ? -1 : landing == kLast ? l.lines - 1 : landing;
        QCOMPARE(QPoint(l.selected(), marked(list)), QPoint(expected, expected));
      }
    }
    QCOMPARE(menuView->windowTitle().trimmed(), QString());
  }

  void enterPressesTheFocusedButton_NotTheHiddenDefaultOne() {
    CopyWindow copy;
    QVERIFY(shown(*copy.view, copy.presenter));
    QTest::keyClick(copy.view->findChild<QPushButton*>("leave"), Qt::Key_Return);
    QVERIFY(copy.presenter.isClosed());
    for (bool confirm : {true, false}) {
      KeyChange keyChange(*folder_);
      QVERIFY(shown(*keyChange.view, keyChange.presenter));
      QPushButton* button = confirm ? keyChange.view->confirmButton() : keyChange.view->exitButton();
      button->setFocus(Qt::TabFocusReason);
      QCOMPARE(QApplication::focusWidget(), button);
      QVERIFY(!keyChange.view->defaultButton()->isVisible());
      QTest::keyClick(button, Qt::Key_Return);
      QVERIFY(keyChange.presenter.isClosed());
    }
  }

  void boxesShowTheirTextsAsPlainText() {
    qt::QtDialogs boxes;
    QList<int> formats;
    const auto readAndClose = [&] {
      QTimer::singleShot(0, [&] {
        for (QLabel* label : QApplication::activeModalWidget()->findChildren<QLabel*>()) {
          if (label->text().contains("DITTA")) formats << label->textFormat();
        }
        QApplication::activeModalWidget()->close();
      });
    };
    readAndClose();
    boxes.message("<B>DITTA</B> <", Buttons::kOk, Icon::kNone, "", DefaultButton::kFirst);
    readAndClose();
    boxes.input("<B>DITTA</B> <", "", "000");
    QCOMPARE(formats, (QList<int>{Qt::PlainText, Qt::PlainText}));
  }

  void theBrowserTakesEnterDoubleClickAndItsButtons() {
    sample();
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
    sample();
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
    sample();
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

  void theWaitPaintsHoldsInputShowsItsBoxAndEndsByAnnullaOrByTheRelease() {
    for (const bool giveUp : {true, false}) {
      init(), sample();
      const testing::TempFolder& folder = *folder_;
      AnsweringDialogs dialogs;
      Dialogs* previous = setDialogs(&dialogs);
      setArchiveLayout(kMenuArchives[1]);  // employees
      FAIOPEN(kStandardEmployeeFile), FAIOPEN(kUserEmployeeFile);
      const std::string employeesBefore = folder.read(kEmployees);
      const std::string rossi = folder.read("drives/C/PWELKIN/ARCHIVI/STDDIPEN.DAT").substr(0, kSampleEmployeeLength);

      Filesta2 copy;
      copy.addChosenLine(kRossi);
      std::unique_ptr<QDialog> view = qt::makeCopyWindowView(copy);
      copy.load();
      view->show();
      QVERIFY(QTest::qWaitForWindowExposed(view.get()));
      std::thread holder = testing::holdElsewhere(kSemaphore, 3);
      const auto filesBefore = folder.files();  // "WKSEMA.DAT" made by the holder

      // What the wait shows, seen from inside it every tenth of a second.
      Paints paints(view.get());
      int paintsBeforeBox = -1;
      QString boxText;
      QMessageBox* box = nullptr;
      QElapsedTimer waited;
      QTimer probe;
      QObject::connect(&probe, &QTimer::timeout, [&] {
        view->update();  // an expose, drawn while the program waits
        if (waited.elapsed() < 700) {
          QTest::keyClick(view->windowHandle(), Qt::Key_Escape);
          view->close();
        }
        for (QWidget* w : QApplication::topLevelWidgets()) {
          if (w->objectName() == "waitBox" && w->isVisible()) box = static_cast<QMessageBox*>(w);
        }
        if (box == nullptr) return;
        if (paintsBeforeBox < 0) paintsBeforeBox = paints.count;
        boxText = box->text();
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Cancel));
        if (giveUp) QTest::keyClick(box->windowHandle(), Qt::Key_Escape);
      });
      waited.start();
      probe.start(100);
      const int result = SCRIVI2(copy, kRossi, 0);
      probe.stop();
      holder.join();

      QVERIFY(view->isVisible());  // neither Esc nor the close request reached it
      QVERIFY2(paintsBeforeBox > 0, "the window painted while it waited, before the box came");
      QVERIFY2(boxText.startsWith("GLI ARCHIVI SONO IN USO") && boxText.endsWith(kSemaphore), qPrintable(boxText));
      const QWidgetList left = QApplication::topLevelWidgets();
      QVERIFY(std::none_of(left.begin(), left.end(), [](QWidget* w) { return w->objectName() == "waitBox"; }));
      QCOMPARE(QApplication::overrideCursor(), nullptr);
      QCOMPARE(result, giveUp ? int(Filesta2::kNothingCopied) : int(Filesta2::kCopied));
      QCOMPARE(copy.lines(Filesta2::kChosenList).size(), std::size_t{giveUp ? 1u : 0u});
      // Given up, nothing is written; let go, the user's employee 1 is ROSSI.
      QVERIFY(giveUp ? folder.files() == filesBefore : folder.read(kEmployees) == rossi + employeesBefore.substr(kSampleEmployeeLength));
      setDialogs(previous);
    }
  }
 private:
  // The sample installation, its archives found.
  void sample() {
    folder_->installSample();
    S().PERARK = "C:\\PWELKIN\\ARCHIVI";
  }

  std::optional<testing::TempFolder> folder_;
  std::optional<testing::ScriptedDialogs> dialogs_;
};

}  // namespace vt

QTEST_MAIN(vt::ViewsTest)
#include "views_qttest.moc"
