#include "ui/qt/lookup_list_view.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/qt/cp1252.h"
#include "ui/qt/key_change_view.h"

namespace vt::qt {

LookupListView::LookupListView(Lista& presenter, QWidget* parent)
    : PresenterView(presenter, parent), presenter_(presenter) {
  setObjectName(QString::fromLatin1(presenter.formName().data(), static_cast<int>(presenter.formName().size())));
  setWindowTitle(fromCp1252(Lista::kCaption));
  auto* outer = new QVBoxLayout(this);
  auto* frame = new QFrame(this);
  frame->setObjectName("Frame1");
  frame->setFrameShape(QFrame::Box);
  outer->addWidget(frame);
  auto* layout = new QVBoxLayout(frame);
  auto* title = new QLabel(fromCp1252(Lista::kTitle), frame);
  title->setObjectName("Et0");
  title->setAlignment(Qt::AlignCenter);
  layout->addWidget(title);
  for (int i = 0; i < Lista::kTextLines; ++i) {
    auto* line = new QLabel(frame);
    line->setObjectName(QString("ETC%1").arg(i));
    layout->addWidget(line);
    lines_.at(static_cast<std::size_t>(i)) = line;
  }
  list_ = new PresenterList({[this] { return presenter_.selected(); }, [this](int row) { presenter_.listSelect(row); },
                             [this](ListMove move, int rows) { presenter_.listMove(move, rows); }},
                            frame);
  list_->setObjectName("R");
  list_->installEventFilter(this);
  layout->addWidget(list_);
}

void LookupListView::refresh() {
  for (int i = 0; i < Lista::kTextLines; ++i) {
    textLine(i)->setText(fromCp1252(presenter_.textLines().at(static_cast<std::size_t>(i))));
  }
  {
    QSignalBlocker quiet(list_);
    list_->clear();
    for (const std::string& item : presenter_.items()) list_->addItem(fromCp1252(item));
  }
  list_->showSelection();
}

void LookupListView::keyPressEvent(QKeyEvent* event) {
  if (!presenter_.keyDown(suiteKeyCode(event->key()), suiteShiftState(event->modifiers()))) {
    PresenterView::keyPressEvent(event);
  }
}

bool LookupListView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (presenter_.keyDown(suiteKeyCode(key->key()), suiteShiftState(key->modifiers()))) return true;
  }
  return PresenterView::eventFilter(watched, event);
}

std::unique_ptr<QDialog> makeLookupListView(WindowPresenter& presenter) {
  return std::make_unique<LookupListView>(dynamic_cast<Lista&>(presenter));
}

}  // namespace vt::qt
