#include "ui/qt/key_change_view.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <functional>

#include "ui/qt/archive_widgets.h"
#include "ui/qt/cp1252.h"
#include "ui/qt/fonts.h"

namespace vt::qt {
namespace {

// Command1 stands outside the visible area, as in the suite's window.
constexpr int kHiddenButtonOffset = -1000;
// An input box shows this many characters, and its frame takes this many pixels.
constexpr int kBoxCharacters = 8;
constexpr int kBoxFrame = 12;

QColor paletteColour(int entry) { return entry == kColourBlack ? QColor(Qt::black) : QColor(Qt::white); }

// A line edit that reports its focus after handling it itself (a line edit
// reached by Tab selects its whole text, which the window's caret rule then
// replaces).
class FieldLineEdit : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;
  std::function<void(Qt::FocusReason)> focused;

 protected:
  void focusInEvent(QFocusEvent* event) override {
    QLineEdit::focusInEvent(event);
    if (focused) focused(event->reason());
  }
};

}  // namespace

int suiteKeyCode(int qtKey) {
  switch (qtKey) {
    case Qt::Key_F1: return kKeyF1;
    case Qt::Key_Left: return kKeyLeft;
    case Qt::Key_Up: return kKeyUp;
    case Qt::Key_Right: return kKeyRight;
    case Qt::Key_Down: return kKeyDown;
    case Qt::Key_Escape: return kKeyEscape;
    default: break;
  }
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) return qtKey;
  return 0;
}

int suiteShiftState(Qt::KeyboardModifiers modifiers) {
  int state = 0;
  if (modifiers & Qt::ShiftModifier) state |= 1;
  if (modifiers & Qt::ControlModifier) state |= 2;
  if (modifiers & Qt::AltModifier) state |= 4;
  return state;
}

KeyChangeView::KeyChangeView(Codnuo& presenter, QWidget* parent)
    : PresenterView(presenter, parent), presenter_(presenter) {
  setObjectName(QString::fromLatin1(presenter.formName().data(), static_cast<int>(presenter.formName().size())));
  setWindowTitle(fromCp1252(Codnuo::kCaption));
  auto* layout = new QVBoxLayout(this);
  auto* title = new QLabel(fromCp1252(Codnuo::kTitle), this);
  title->setObjectName("LabelTitCod");
  title->setAlignment(Qt::AlignCenter);
  QFont titleFont = title->font();
  titleFont.setBold(true);
  title->setFont(titleFont);
  layout->addWidget(title);
  layout->addWidget(new QLabel(fromCp1252(Codnuo::kListHeading), this));
  list_ = new PresenterList({[this] { return presenter_.selectedCompany(); },
                             [this](int row) {
                               if (!refreshing_) presenter_.listSelect(row);
                             },
                             [this](ListMove move, int rows) { presenter_.listMove(move, rows); }},
                            this);
  list_->setObjectName("R1");
  list_->setFont(archiveLineFont());
  layout->addWidget(list_);
  layout->addWidget(new QLabel(fromCp1252(Codnuo::kInputHeading), this));

  auto* fields = new QGridLayout();
  for (int i = 0; i < Codnuo::kBoxes; ++i) {
    auto* label = new QLabel(this);
    label->setObjectName(QString("ET%1").arg(i));
    label->setAutoFillBackground(true);
    label->installEventFilter(this);
    auto* box = new FieldLineEdit(this);
    box->focused = [this, i](Qt::FocusReason reason) { boxFocusIn(i, reason); };
    box->setObjectName(QString("CX%1").arg(i));
    box->setFont(archiveLineFont());
    box->installEventFilter(this);
    connect(box, &QLineEdit::textEdited, this, [this, i](const QString& text) {
      if (!refreshing_) presenter_.boxEdited(i, toCp1252(text));
    });
    // Wide enough for the longest field, its trailing blank and the caret.
    box->setFixedWidth(QFontMetrics(box->font()).horizontalAdvance(QString(kBoxCharacters, QChar('0'))) +
                       kBoxFrame);
    fields->addWidget(label, i, 0);
    fields->addWidget(box, i, 1);
    labels_.at(static_cast<std::size_t>(i)) = label;
    boxes_.at(static_cast<std::size_t>(i)) = box;
  }
  fields->setColumnStretch(2, 1);
  layout->addLayout(fields);

  auto* buttons = new QHBoxLayout();
  confirm_ = new QPushButton(fromCp1252(Codnuo::kConfirmCaption), this);
  exit_ = new QPushButton(fromCp1252(Codnuo::kExitCaption), this);
  for (QPushButton* b : {confirm_, exit_}) {
    b->setAutoDefault(false);
    pressOnEnter(b);
    b->installEventFilter(this);
    buttons->addWidget(b);
  }
  layout->addLayout(buttons);
  connect(confirm_, &QPushButton::clicked, this, [this] { presenter_.confirmClick(); });
  connect(exit_, &QPushButton::clicked, this, [this] { presenter_.exitClick(); });

  command1_ = new QPushButton("Command1", this);
  command1_->setObjectName("Command1");
  command1_->setAutoDefault(false);
  command1_->setDefault(true);
  command1_->setFocusPolicy(Qt::NoFocus);
  command1_->move(kHiddenButtonOffset, kHiddenButtonOffset);
  connect(command1_, &QPushButton::clicked, this, [this] { presenter_.commandClick(); });

  list_->installEventFilter(this);
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { presenter_.listDoubleClick(); });
}

int KeyChangeView::boxIndex(QObject* watched) const {
  for (int i = 0; i < Codnuo::kBoxes; ++i) {
    if (watched == boxes_.at(static_cast<std::size_t>(i))) return i;
  }
  return -1;
}

int KeyChangeView::labelIndex(QObject* watched) const {
  for (int i = 0; i < Codnuo::kBoxes; ++i) {
    if (watched == labels_.at(static_cast<std::size_t>(i))) return i;
  }
  return -1;
}

void KeyChangeView::refresh() {
  if (presenter_.isClosed()) return;
  refreshing_ = true;
  for (int i = 0; i < Codnuo::kBoxes; ++i) {
    QLineEdit* b = box(i);
    const FieldBox& shown = presenter_.box(i);
    const QString text = fromCp1252(shown.text);
    if (b->text() != text) b->setText(text);
    b->setCursorPosition(shown.caret);

    QLabel* l = label(i);
    l->setText(fromCp1252(presenter_.labelCaption(i)));
    QPalette palette = l->palette();
    palette.setColor(QPalette::Window, paletteColour(presenter_.labelColours(i).background));
    palette.setColor(QPalette::WindowText, paletteColour(presenter_.labelColours(i).foreground));
    l->setPalette(palette);
  }

  const std::vector<std::string>& items = presenter_.companies();
  bool same = list_->count() == static_cast<int>(items.size());
  for (int row = 0; same && row < list_->count(); ++row) {
    same = list_->item(row)->text() == fromCp1252(items.at(static_cast<std::size_t>(row)));
  }
  if (!same) {
    QSignalBlocker quiet(list_);
    list_->clear();
    for (const std::string& item : items) list_->addItem(fromCp1252(item));
  }

  command1_->setVisible(presenter_.defaultButtonVisible());
  if (presenter_.focusedBox() >= 0) {
    QLineEdit* focused = box(presenter_.focusedBox());
    if (!focused->hasFocus()) focused->setFocus(Qt::OtherFocusReason);
  } else if (presenter_.listHasFocus() && !list_->hasFocus()) {
    list_->setFocus(Qt::OtherFocusReason);
  }
  list_->showSelection();
  refreshing_ = false;
}

void KeyChangeView::boxFocusIn(int i, Qt::FocusReason reason) {
  if (presenter_.isClosed()) return;
  // Coming back from a message box or a menu is no change of field.
  if (!refreshing_ && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
    presenter_.boxFocused(i);
  }
  box(i)->setCursorPosition(presenter_.box(i).caret);
}

bool KeyChangeView::boxKey(int i, QKeyEvent* event) {
  // The caret is read from the box before each key.
  presenter_.boxCaretMoved(i, box(i)->cursorPosition());
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) return false;  // to Command1
  const int code = suiteKeyCode(key);
  if (code != 0 && (code == kKeyF1 || code == kKeyEscape || (code >= kKeyLeft && code <= kKeyDown))) {
    return presenter_.boxKeyDown(i, code, suiteShiftState(event->modifiers()));
  }
  if (key == Qt::Key_Backspace) {
    presenter_.boxKeyPress(i, (event->modifiers() & Qt::ControlModifier) ? kCharCtrlBackspace : kCharBackspace);
    return true;
  }
  if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;  // paste, cut, ...
  const QString text = event->text();
  if (text.size() != 1 || !text.at(0).isPrint()) return false;  // Delete, Home, End, Tab, ...
  const std::string character = toCp1252(text);
  presenter_.boxKeyPress(i, static_cast<unsigned char>(character.front()));
  return true;
}

bool KeyChangeView::listKey(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: presenter_.listKeyPress(kCharEnter); return true;
    case Qt::Key_Escape: presenter_.listKeyPress(kCharEscape); return true;
    default: return false;
  }
}

bool KeyChangeView::eventFilter(QObject* watched, QEvent* event) {
  if (presenter_.isClosed()) return QDialog::eventFilter(watched, event);
  const int boxNumber = boxIndex(watched);
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (boxNumber >= 0) return boxKey(boxNumber, key);
      if (watched == list_) return listKey(key);
      break;
    }
    case QEvent::FocusIn: {
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      // Coming back from a message box or a menu is no change of field.
      if (refreshing_ || reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) break;
      if (watched == list_) {
        presenter_.listFocused();
      } else if (watched == confirm_ || watched == exit_) {
        presenter_.otherFocused();
      }
      break;
    }
    case QEvent::MouseButtonPress: {
      const int labelNumber = labelIndex(watched);
      if (labelNumber >= 0) presenter_.labelClick(labelNumber);
      break;
    }
    default: break;
  }
  return QDialog::eventFilter(watched, event);
}

std::unique_ptr<QDialog> makeKeyChangeView(WindowPresenter& presenter) {
  return std::make_unique<KeyChangeView>(dynamic_cast<Codnuo&>(presenter));
}

}  // namespace vt::qt
