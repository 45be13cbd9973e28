// The browser and the copy window on screen: the real views over a small
// installation, driven as the operator drives them.
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "../archive_install.h"
#include "core/dialogs.h"
#include "core/state.h"
#include "scripted_dialogs.h"
#include "temp_install.h"
#include "ui/browser.h"
#include "ui/copy_window.h"
#include "ui/qt/browser_view.h"
#include "ui/qt/copy_window_view.h"
#include "ui/qt/cp1252.h"
#include "ui/qt/qt_dialogs.h"

namespace vt {
namespace {

using testing::ArchiveInstall;
using testing::kCompanies;
using testing::numberedRecords;

constexpr int kCompanyLength = 60;
constexpr int kMaxTries = 200;

// Runs `drive` on the shown window named `formName` once it is on screen.
// `drive` must close the window.
void whenShown(const QString& formName, std::function<void(QDialog&)> drive, int tries = 0) {
  QTimer::singleShot(tries == 0 ? 0 : 10, [formName, drive, tries] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QDialog*>(widget);
      if (dialog != nullptr && dialog->objectName() == formName && dialog->isVisible()) {
        drive(*dialog);
        return;
      }
    }
    if (tries < kMaxTries) whenShown(formName, drive, tries + 1);
  });
}

QStringList texts(const QListWidget& list) {
  QStringList result;
  for (int row = 0; row < list.count(); ++row) result << list.item(row)->text();
  return result;
}

QStringList labelTexts(const QDialog& dialog) {
  QStringList result;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) result << label->text();
  return result;
}

QString companyLine(int number) {
  return qt::fromCp1252(testing::lineOf(kCompanies, testing::numberedRecord(kCompanies, kCompanyLength, number)));
}

}  // namespace

class BrowserViewTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<testing::TempFolder>();
    ArchiveInstall install(*folder_);
    install.file(201, "STDDITTE.DAT", kCompanyLength, numberedRecords(kCompanies, kCompanyLength, 5));
    install.file(1, "DITTE.DAT", kCompanyLength, numberedRecords(kCompanies, kCompanyLength, 2, "MIA"));
    install.open(kCompanies);
    dialogs_ = std::make_unique<qt::QtDialogs>();
    dialogs_->registerView("FILESTAN", qt::makeBrowserView);
    dialogs_->registerView("FILESTA2", qt::makeCopyWindowView);
    previous_ = setDialogs(dialogs_.get());
  }

  void cleanup() {
    setDialogs(previous_);
    dialogs_.reset();
    folder_.reset();
  }

  void movedLinesReachTheCopyWindow_OnConferma() {
    Filesta2 copy;
    Filestan browser(copy);
    QStringList shownChosen;
    QStringList labels;
    QString caption;
    whenShown("FILESTAN", [&](QDialog& view) {
      caption = view.windowTitle();
      labels = labelTexts(view);
      auto* standard = view.findChild<QListWidget*>("standardList");
      auto* chosen = view.findChild<QListWidget*>("chosenList");
      auto* chooseOne = view.findChild<QPushButton*>("chooseOne");
      auto* returnOne = view.findChild<QPushButton*>("returnOne");
      auto* confirm = view.findChild<QPushButton*>("confirm");
      if (standard && chosen && chooseOne && returnOne && confirm) {
        standard->setCurrentRow(3);
        chooseOne->click();  // 004
        standard->setCurrentRow(1);
        chooseOne->click();  // 002
        chooseOne->click();  // 001, the first line selected after a move
        chosen->setCurrentRow(1);
        returnOne->click();  // 002 goes back
        shownChosen = texts(*chosen);
        confirm->click();
      }
      view.close();
    });
    dialogs_->showModal(browser);

    QVERIFY(browser.isClosed());
    QCOMPARE(caption, QString("Archivi Standard"));
    for (const char* label : {"GESTIONE ARCHIVI STANDARD", " ARCHIVIO SELEZIONATO", "1 - ARCHIVIO DITTE     ",
                              " ARCHIVIO STANDARD", "RECORD SCELTI", "OPZIONI",
                              "Scelta del record da portare nell'archivo."}) {
      QVERIFY2(labels.contains(QString(label)), label);
    }
    QVERIFY(labels.contains(QString(13, QChar(0x00DF))));
    QCOMPARE(shownChosen, (QStringList{companyLine(1), companyLine(4)}));
    QCOMPARE(S().TABFLAG[25], std::int16_t{0});

    // The start-up now shows the copy window, holding the two lines.
    QStringList copyChosen;
    QStringList copyUser;
    QStringList copyLabels;
    whenShown("FILESTA2", [&](QDialog& view) {
      copyLabels = labelTexts(view);
      if (auto* chosen = view.findChild<QListWidget*>("chosenList")) copyChosen = texts(*chosen);
      if (auto* user = view.findChild<QListWidget*>("userList")) copyUser = texts(*user);
      if (auto* leave = view.findChild<QPushButton*>("leave")) leave->click();
      view.close();
    });
    dialogs_->showModal(copy);

    QVERIFY(copy.isClosed());
    QCOMPARE(copyChosen, (QStringList{companyLine(1), companyLine(4)}));
    QCOMPARE(copyUser.size(), 2);
    for (const char* label : {" RECORDS SCELTI", "ARCHIVIO TESSARO", "OPZIONI"}) {
      QVERIFY2(copyLabels.contains(QString(label)), label);
    }
  }

  void enterAndDoubleClick_MoveLinesToo() {
    Filesta2 copy;
    Filestan browser(copy);
    QStringList afterEnter;
    QStringList afterDoubleClick;
    whenShown("FILESTAN", [&](QDialog& view) {
      auto* standard = view.findChild<QListWidget*>("standardList");
      auto* chosen = view.findChild<QListWidget*>("chosenList");
      if (standard && chosen) {
        standard->setCurrentRow(2);
        QTest::keyClick(standard, Qt::Key_Return);
        afterEnter = texts(*chosen);
        chosen->setCurrentRow(0);
        QRect place = chosen->visualItemRect(chosen->item(0));
        // A double click is a press, a release, then the second press.
        QTest::mouseClick(chosen->viewport(), Qt::LeftButton, {}, place.center());
        QTest::mouseDClick(chosen->viewport(), Qt::LeftButton, {}, place.center());
        afterDoubleClick = texts(*chosen);
      }
      view.close();
    });
    dialogs_->showModal(browser);
    QCOMPARE(afterEnter, QStringList{companyLine(3)});
    QCOMPARE(afterDoubleClick, QStringList{});
    QVERIFY(browser.isClosed());
  }

  void uscitaEndsWithoutTheCopyWindow() {
    Filesta2 copy;
    Filestan browser(copy);
    bool clicked = false;
    whenShown("FILESTAN", [&](QDialog& view) {
      auto* chooseOne = view.findChild<QPushButton*>("chooseOne");
      auto* leave = view.findChild<QPushButton*>("leave");
      if (chooseOne && leave) {
        chooseOne->click();
        QCOMPARE(leave->text(), QString("&Uscita"));
        leave->click();
        clicked = true;
      }
      view.close();
    });
    dialogs_->showModal(browser);

    QVERIFY(clicked);
    QVERIFY(browser.isClosed());
    QCOMPARE(S().TABFLAG[25], std::int16_t{1});
    // The start-up ends here: the copy window was never shown.
    QVERIFY(!copy.isClosed());
    QCOMPARE(copy.archiveTitle(), std::string("Archivio Standard"));
  }

 private:
  std::unique_ptr<testing::TempFolder> folder_;
  std::unique_ptr<qt::QtDialogs> dialogs_;
  Dialogs* previous_ = nullptr;
};

}  // namespace vt

QTEST_MAIN(vt::BrowserViewTest)
#include "browser_view_qttest.moc"
