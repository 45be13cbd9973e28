// The wait for the task semaphore through the program's own Qt dialog
// interface, while another process holds "WKSEMA.DAT": the window keeps
// painting, the operator's keys and close requests do not reach it, the wait
// box comes after a second with the refusal and the time waited, "Annulla"
// gives up with nothing written, and the holder's release closes the box and
// the copy goes on as it would have.
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <thread>

#include "other_program.h"
#include "core/state.h"
#include "platform/files.h"
#include "records/files.h"
#include "scripted_dialogs.h"
#include "temp_install.h"
#include "ui/archives.h"
#include "ui/copy_window.h"
#include "ui/employee_copy.h"
#include "ui/qt/qt_dialogs.h"
#include "ui/qt/two_list_views.h"

namespace vt {
namespace {

constexpr const char* kSemaphore = "C:\\PWELKIN\\ARCHIVI\\WKSEMA.DAT";
constexpr const char* kEmployees = "drives/C/PWELKIN/ARCHIVI/DIPEND.DAT";
// Standard employee 1, ROSSI, whose code the user's employee 1 carries.
const std::string kRossi = std::string(35, ' ') + " 00001";

// The Qt interface, answering Yes to the overwrite question without a box.
class AnsweringDialogs : public qt::QtDialogs {
 public:
  Answer message(const std::string& text, Buttons buttons, Icon, const std::string&, DefaultButton) override {
    texts.push_back(text);
    return buttons == Buttons::kYesNo ? Answer::kYes : Answer::kOk;
  }
  std::vector<std::string> texts;
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

class SemaphoreWaitTest : public QObject {
  Q_OBJECT

 private slots:
  void theWaitPaintsHoldsInputShowsItsBoxAndEndsByAnnullaOrByTheRelease() {
    for (const bool giveUp : {true, false}) {
      testing::TempFolder folder;
      folder.installSample();
      AnsweringDialogs dialogs;
      Dialogs* previous = setDialogs(&dialogs);
      S().PERARK = "C:\\PWELKIN\\ARCHIVI";
      setArchiveLayout(kMenuArchives[1]);  // employees
      FAIOPEN(kStandardEmployeeFile);
      FAIOPEN(kUserEmployeeFile);
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
      QVERIFY(waited.elapsed() >= 1000 || giveUp);
      QVERIFY2(boxText.startsWith("GLI ARCHIVI SONO IN USO DA UN ALTRO PROGRAMMA DELLA SUITE.\n"
                                  "IL PROGRAMMA ATTENDE CHE SI LIBERI (ATTESA 0:0"),
               qPrintable(boxText));
      QVERIFY(boxText.endsWith(QString("Errore 70 Autorizzazione negata: ") + kSemaphore));
      QCOMPARE(QApplication::overrideCursor(), nullptr);
      bool boxLeft = false;
      for (QWidget* w : QApplication::topLevelWidgets()) boxLeft = boxLeft || w->objectName() == "waitBox";
      QVERIFY(!boxLeft);
      if (giveUp) {
        QCOMPARE(result, int(Filesta2::kNothingCopied));
        QCOMPARE(copy.lines(Filesta2::kChosenList).size(), std::size_t{1});
        QVERIFY(folder.files() == filesBefore);
      } else {
        QCOMPARE(result, int(Filesta2::kCopied));
        QCOMPARE(copy.lines(Filesta2::kChosenList).size(), std::size_t{0});
        QVERIFY(folder.read(kEmployees) == rossi + employeesBefore.substr(kSampleEmployeeLength));
      }
      setDialogs(previous);
    }
  }
};

}  // namespace vt

QTEST_MAIN(vt::SemaphoreWaitTest)
#include "semaphore_wait_qttest.moc"
