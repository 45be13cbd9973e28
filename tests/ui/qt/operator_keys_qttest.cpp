// Keys pressed as the operator presses them, through the real views: the line
// drawn marked is the presenter's selection, Enter presses the focused button
// (not a hidden default one), and boxes show their texts as they are.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "file_table.h"
#include "records/files.h"
#include "scripted_dialogs.h"
#include "temp_install.h"
#include "ui/choice_window.h"
#include "ui/copy_window.h"
#include "ui/browser.h"
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

}  // namespace

class OperatorKeysTest : public QObject {
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

 private:
  std::optional<testing::TempFolder> folder_;
  std::optional<testing::ScriptedDialogs> dialogs_;
};

}  // namespace vt

QTEST_MAIN(vt::OperatorKeysTest)
#include "operator_keys_qttest.moc"
