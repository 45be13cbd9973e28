#include "ui/qt/qt_dialogs.h"

#include <QApplication>
#include <QEventLoop>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <stdexcept>

#include "core/window.h"
#include "ui/qt/cp1252.h"

namespace vt::qt {
namespace {

constexpr int kTwipsPerInch = 1440;

double logicalDpi() {
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
}

QMessageBox::Icon qtIcon(Icon icon) {
  switch (icon) {
    case Icon::kCritical: return QMessageBox::Critical;
    case Icon::kQuestion: return QMessageBox::Question;
    case Icon::kExclamation: return QMessageBox::Warning;
    case Icon::kInformation: return QMessageBox::Information;
    case Icon::kNone: break;
  }
  return QMessageBox::NoIcon;
}

// While the program waits, swallows every key, click and close request on
// its windows but the wait box (and its buttons): the windows still paint
// and answer the window system, yet no handler of the program runs.
class InputHeld : public QObject {
 public:
  explicit InputHeld(const std::unique_ptr<QMessageBox>& box) : box_(box) { qApp->installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::Close:
        return !insideBox(watched);
      default: return false;
    }
  }

 private:
  bool insideBox(QObject* watched) const {
    // The window system's events reach a widget's window first.
    if (auto* window = qobject_cast<QWindow*>(watched)) return box_ && box_->windowHandle() == window;
    for (QObject* o = watched; o != nullptr; o = o->parent()) {
      if (box_ && o == box_.get()) return true;
    }
    return false;
  }
  const std::unique_ptr<QMessageBox>& box_;
};

}  // namespace

int twipsToPixels(int twips) { return static_cast<int>(twips * logicalDpi() / kTwipsPerInch); }

int pixelsToTwips(int pixels) { return static_cast<int>(pixels * kTwipsPerInch / logicalDpi()); }

void QtDialogs::registerView(const std::string& formName, ViewFactory factory) {
  views_[formName] = std::move(factory);
}

Answer QtDialogs::message(const std::string& text, Buttons buttons, Icon icon, const std::string& title,
                          DefaultButton defaultButton) {
  QMessageBox box(qtIcon(icon), fromCp1252(title.empty() ? kDefaultTitle : title), messageText(text),
                  QMessageBox::NoButton, QApplication::activeWindow());
  // Texts come from records and prompts: shown as they are, never as markup.
  box.setTextFormat(Qt::PlainText);
  QMessageBox::StandardButton first = QMessageBox::Ok;
  QMessageBox::StandardButton second = QMessageBox::NoButton;
  switch (buttons) {
    case Buttons::kOk: break;
    case Buttons::kOkCancel: second = QMessageBox::Cancel; break;
    case Buttons::kYesNo:
      first = QMessageBox::Yes;
      second = QMessageBox::No;
      break;
  }
  box.setStandardButtons(second == QMessageBox::NoButton ? QMessageBox::StandardButtons(first)
                                                          : QMessageBox::StandardButtons(first | second));
  box.setDefaultButton(defaultButton == DefaultButton::kSecond && second != QMessageBox::NoButton ? second : first);
  box.setEscapeButton(second != QMessageBox::NoButton ? second : first);
  switch (box.exec()) {
    case QMessageBox::Yes: return Answer::kYes;
    case QMessageBox::No: return Answer::kNo;
    case QMessageBox::Cancel: return Answer::kCancel;
    default: return Answer::kOk;
  }
}

std::optional<std::string> QtDialogs::input(const std::string& prompt, const std::string& title,
                                            const std::string& defaultText) {
  QInputDialog box(QApplication::activeWindow());
  box.setWindowTitle(fromCp1252(title));
  box.setInputMode(QInputDialog::TextInput);
  box.setLabelText(messageText(prompt));
  box.setTextValue(fromCp1252(defaultText));
  // The prompt is often a record's line: shown as it is, never as markup.
  for (QLabel* label : box.findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);
  if (box.exec() != QDialog::Accepted) return std::nullopt;
  return toCp1252(box.textValue());
}

void QtDialogs::beep() { QApplication::beep(); }

ScreenSize QtDialogs::screenSize() {
  QScreen* screen = QGuiApplication::primaryScreen();
  QRect geometry = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
  return {pixelsToTwips(geometry.width()), pixelsToTwips(geometry.height())};
}

void QtDialogs::showModal(WindowPresenter& presenter) {
  auto found = views_.find(presenter.formName());
  if (found == views_.end()) {
    throw std::logic_error("no view registered for window " + std::string(presenter.formName()));
  }
  std::unique_ptr<QDialog> view = found->second(presenter);
  presenter.load();
  if (presenter.isClosed()) return;
  view->exec();
}

bool QtDialogs::waitBetweenTries(const WaitNotice& notice, std::chrono::milliseconds pause) {
  if (!inputHeld_) {
    inputHeld_ = std::make_unique<InputHeld>(waitBox_);
    QApplication::setOverrideCursor(Qt::BusyCursor);
  }
  if (notice.boxShown && !waitBox_) {
    waitBox_ = std::make_unique<QMessageBox>(QMessageBox::Information, fromCp1252(kDefaultTitle), QString(),
                                             QMessageBox::Cancel, QApplication::activeWindow());
    waitBox_->setObjectName(QStringLiteral("waitBox"));
    waitBox_->setTextFormat(Qt::PlainText);
    waitBox_->setWindowModality(Qt::ApplicationModal);
    // "Annulla", Esc and the close box all give up the wait.
    QObject::connect(waitBox_.get(), &QMessageBox::finished, [this] { gaveUp_ = true; });
  }
  if (waitBox_) waitBox_->setText(messageText(notice.text));
  if (waitBox_ && !waitBox_->isVisible() && !gaveUp_) waitBox_->show();
  QEventLoop loop;
  QTimer::singleShot(pause, &loop, &QEventLoop::quit);
  if (waitBox_) QObject::connect(waitBox_.get(), &QMessageBox::finished, &loop, &QEventLoop::quit);
  if (!gaveUp_) loop.exec();
  return !gaveUp_;
}

void QtDialogs::waitEnded(std::chrono::milliseconds) {
  if (inputHeld_) QApplication::restoreOverrideCursor();
  waitBox_.reset();
  inputHeld_.reset();
  gaveUp_ = false;
}

}  // namespace vt::qt
