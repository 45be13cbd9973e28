#include "ui/qt/presenter_list.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <algorithm>
#include <optional>

namespace vt::qt {
namespace {

std::optional<ListMove> moveOf(int key) {
  switch (key) {
    case Qt::Key_Home: return ListMove::kHome;
    case Qt::Key_End: return ListMove::kEnd;
    case Qt::Key_Up: return ListMove::kUp;
    case Qt::Key_Down: return ListMove::kDown;
    case Qt::Key_PageUp: return ListMove::kPageUp;
    case Qt::Key_PageDown: return ListMove::kPageDown;
    default: return std::nullopt;
  }
}

}  // namespace

PresenterList::PresenterList(Hooks hooks, QWidget* parent) : QListWidget(parent), hooks_(std::move(hooks)) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QListWidget::itemSelectionChanged, this, [this] {
    const QList<QListWidgetItem*> chosen = selectedItems();
    hooks_.select(chosen.isEmpty() ? -1 : row(chosen.front()));
    showSelection();
  });
}

void PresenterList::showSelection() {
  QSignalBlocker quiet(this);
  const int selected = hooks_.selected();
  if (selected >= 0 && selected < count()) {
    setCurrentRow(selected, QItemSelectionModel::ClearAndSelect);
  } else {
    selectionModel()->clear();
  }
}

void PresenterList::keyPressEvent(QKeyEvent* event) {
  const std::optional<ListMove> move = moveOf(event->key());
  if (!move) {
    QListWidget::keyPressEvent(event);
    return;
  }
  hooks_.move(*move, pageRows());
  showSelection();
  event->accept();
}

void PresenterList::focusInEvent(QFocusEvent* event) {
  QListWidget::focusInEvent(event);
  showSelection();
}

int PresenterList::pageRows() const {
  const int rowHeight = count() > 0 ? sizeHintForRow(0) : 0;
  return rowHeight > 0 ? std::max(viewport()->height() / rowHeight, 1) : 1;
}

}  // namespace vt::qt
