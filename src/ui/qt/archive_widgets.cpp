#include "ui/qt/archive_widgets.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalBlocker>

#include "ui/qt/cp1252.h"
#include "ui/qt/fonts.h"

namespace vt::qt {
namespace {

// The heading's letters against the body text's.
constexpr double kHeadingScale = 1.4;

bool isEnter(const QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<const QKeyEvent*>(event)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Takes Enter from a list and gives it to a function.
class EnterFilter : public QObject {
 public:
  EnterFilter(QObject* parent, std::function<void()> onEnter) : QObject(parent), onEnter_(std::move(onEnter)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!isEnter(event)) return QObject::eventFilter(watched, event);
    onEnter_();
    return true;
  }

 private:
  std::function<void()> onEnter_;
};

// Presses a button on Enter.
class PressOnEnter : public QObject {
 public:
  explicit PressOnEnter(QPushButton* button) : QObject(button), button_(button) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!isEnter(event)) return QObject::eventFilter(watched, event);
    button_->click();
    return true;
  }

 private:
  QPushButton* button_;
};

}  // namespace

PresenterList* makeArchiveList(const QString& objectName, PresenterList::Hooks hooks, QWidget* parent) {
  auto* list = new PresenterList(std::move(hooks), parent);
  list->setObjectName(objectName);
  list->setFont(archiveLineFont());
  list->setUniformItemSizes(true);
  return list;
}

QLabel* makeLabel(const std::string& text, QWidget* parent) { return new QLabel(fromCp1252(text), parent); }

QLabel* makeHeading(const std::string& text, QWidget* parent) {
  QLabel* heading = makeLabel(text, parent);
  QFont font = heading->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * kHeadingScale);
  heading->setFont(font);
  return heading;
}

QPushButton* makeButton(const std::string& caption, QStyle::StandardPixmap picture, const QString& objectName,
                        QWidget* parent) {
  auto* button = new QPushButton(QApplication::style()->standardIcon(picture), fromCp1252(caption), parent);
  button->setObjectName(objectName);
  button->setAutoDefault(false);
  pressOnEnter(button);
  return button;
}

void showLines(PresenterList* list, const std::vector<std::string>& lines) {
  QSignalBlocker quiet(list);
  bool same = list->count() == static_cast<int>(lines.size());
  for (int row = 0; same && row < list->count(); ++row) {
    same = list->item(row)->text() == fromCp1252(lines[static_cast<std::size_t>(row)]);
  }
  if (!same) {
    list->clear();
    for (const std::string& line : lines) list->addItem(fromCp1252(line));
  }
  list->showSelection();
}

void pressOnEnter(QPushButton* button) { button->installEventFilter(new PressOnEnter(button)); }

void forwardEnter(QListWidget* list, std::function<void()> onEnter) {
  list->installEventFilter(new EnterFilter(list, std::move(onEnter)));
}

}  // namespace vt::qt
