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

// Takes Enter from a list and gives it to a function.
class EnterFilter : public QObject {
 public:
  EnterFilter(QObject* parent, std::function<void()> onEnter) : QObject(parent), onEnter_(std::move(onEnter)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        onEnter_();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> onEnter_;
};

}  // namespace

QListWidget* makeArchiveList(const QString& objectName, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setObjectName(objectName);
  list->setFont(archiveLineFont());
  list->setSelectionMode(QAbstractItemView::SingleSelection);
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
  return button;
}

void showLines(QListWidget* list, const std::vector<std::string>& lines, int selected) {
  QSignalBlocker quiet(list);
  bool same = list->count() == static_cast<int>(lines.size());
  for (int row = 0; same && row < list->count(); ++row) {
    same = list->item(row)->text() == fromCp1252(lines[static_cast<std::size_t>(row)]);
  }
  if (!same) {
    list->clear();
    for (const std::string& line : lines) list->addItem(fromCp1252(line));
  }
  list->setCurrentRow(selected);
  if (selected < 0) list->clearSelection();
}

void forwardSelection(QListWidget* list, std::function<void(int)> onSelect) {
  QObject::connect(list, &QListWidget::itemSelectionChanged, list, [list, onSelect = std::move(onSelect)] {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    onSelect(selected.isEmpty() ? -1 : list->row(selected.front()));
  });
}

void forwardEnter(QListWidget* list, std::function<void()> onEnter) {
  list->installEventFilter(new EnterFilter(list, std::move(onEnter)));
}

}  // namespace vt::qt
