#include "ui/qt/choice_view.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <map>
#include <string>

#include "ui/choice_window.h"
#include "ui/qt/archive_widgets.h"
#include "ui/qt/cp1252.h"
#include "ui/qt/fonts.h"
#include "ui/qt/presenter_list.h"
#include "ui/qt/presenter_view.h"

namespace vt::qt {
namespace {

constexpr int kIconSize = 16;
constexpr int kTitlePoints = 14;

// Each icon is drawn on a 16 x 16 pixel canvas.
using Painter = void (*)(QPainter&);

void drawPage(QPainter& p, QRectF r) {
  QPainterPath page;
  page.moveTo(r.left(), r.top());
  page.lineTo(r.right() - 4, r.top());
  page.lineTo(r.right(), r.top() + 4);
  page.lineTo(r.right(), r.bottom());
  page.lineTo(r.left(), r.bottom());
  page.closeSubpath();
  p.setPen(QPen(Qt::darkGray, 1));
  p.setBrush(Qt::white);
  p.drawPath(page);
  p.setPen(QPen(QColor(90, 110, 160), 1));
  for (qreal y = r.top() + 5; y < r.bottom() - 1; y += 2.5) p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void drawGeneric(QPainter& p) { drawPage(p, QRectF(3.5, 1.5, 9, 13)); }

void drawPrinter(QPainter& p) {
  p.setPen(QPen(Qt::darkGray, 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4.5, 1.5, 7, 5));
  p.setBrush(QColor(150, 150, 150));
  p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1, 1);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4.5, 10.5, 7, 4));
  p.setPen(QPen(QColor(40, 160, 40), 1));
  p.drawPoint(QPointF(12.5, 8.5));
}

void drawDiskette(QPainter& p) {
  p.setPen(QPen(QColor(20, 40, 110), 1));
  p.setBrush(QColor(50, 90, 190));
  p.drawRect(QRectF(1.5, 1.5, 13, 13));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(3.5, 1.5, 9, 5));
  p.setBrush(QColor(180, 180, 190));
  p.drawRect(QRectF(4.5, 9.5, 7, 5));
}

void drawRefresh(QPainter& p) {
  p.setPen(QPen(QColor(30, 140, 50), 2));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(2.5, 2.5, 11, 11), 30 * 16, 280 * 16);
  QPolygonF head;
  head << QPointF(10, 1) << QPointF(15, 4) << QPointF(10, 7);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(30, 140, 50));
  p.drawPolygon(head);
}

void drawSheets(QPainter& p) {
  drawPage(p, QRectF(5.5, 1.5, 9, 11));
  drawPage(p, QRectF(1.5, 4.5, 9, 11));
}

void drawTape(QPainter& p) {
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(60, 60, 60));
  p.drawRoundedRect(QRectF(0.5, 3.5, 15, 10), 1.5, 1.5);
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(2.5, 5.5, 4, 4));
  p.drawEllipse(QRectF(9.5, 5.5, 4, 4));
  p.setPen(QPen(QColor(150, 110, 60), 1));
  p.drawLine(QPointF(4.5, 11.5), QPointF(11.5, 11.5));
}

void drawHelp(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 90, 200));
  p.drawEllipse(QRectF(1, 1, 14, 14));
  QFont f = p.font();
  f.setBold(true);
  f.setPixelSize(12);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
}

const std::map<std::string, Painter, std::less<>>& painters() {
  static const std::map<std::string, Painter, std::less<>> all = {
      {"GENERICO", drawGeneric}, {"STAMPA", drawPrinter}, {"MEMORIZZA", drawDiskette}, {"AGGIORNA", drawRefresh},
      {"FOGLI", drawSheets},     {"MAGNETICO", drawTape}, {"HELP", drawHelp}};
  return all;
}

// The key-down shift state of the suite: Shift 1, Ctrl 2, Alt 4.
int shiftState(Qt::KeyboardModifiers modifiers) {
  int shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= Scelta::kShiftMask;
  if (modifiers & Qt::ControlModifier) shift |= Scelta::kCtrlMask;
  if (modifiers & Qt::AltModifier) shift |= Scelta::kAltMask;
  return shift;
}

class ChoiceView : public PresenterView {
 public:
  explicit ChoiceView(Scelta& presenter) : PresenterView(presenter), presenter_(presenter) {
    // The window has no caption: a blank one, since an empty title makes the
    // title bar show the program's name. Tests find the window by its name.
    setObjectName(Scelta::kFormName);
    setWindowTitle(QStringLiteral(" "));

    title_ = new QLabel(this);
    title_->setObjectName("LabelTitolo");
    title_->setAlignment(Qt::AlignCenter);
    QFont titleFont = title_->font();
    titleFont.setBold(true);
    titleFont.setPointSize(kTitlePoints);
    title_->setFont(titleFont);

    heading_ = new QLabel(this);
    heading_->setObjectName("ETIC1");
    QFont headingFont = heading_->font();
    headingFont.setBold(true);
    heading_->setFont(headingFont);

    auto* listFrame = new QFrame(this);
    listFrame->setObjectName("FrameElenco");
    listFrame->setFrameShape(QFrame::StyledPanel);
    list_ = new PresenterList({[this] { return presenter_.selected() ? static_cast<int>(*presenter_.selected()) : -1; },
                               [this](int row) {
                                 if (refreshing_) return;
                                 presenter_.listSelect(row < 0 ? std::nullopt
                                                           : std::optional<std::size_t>(static_cast<std::size_t>(row)));
                               },
                               [this](ListMove move, int rows) { presenter_.listMove(move, rows); }},
                              listFrame);
    list_->setObjectName("lstElenco");
    list_->setViewMode(QListView::ListMode);
    list_->setIconSize(QSize(kIconSize, kIconSize));
    list_->setFont(archiveLineFont());
    auto* listLayout = new QVBoxLayout(listFrame);
    listLayout->addWidget(list_);

    auto* buttonFrame = new QFrame(this);
    buttonFrame->setObjectName("FrameBottone");
    buttonFrame->setFrameShape(QFrame::StyledPanel);
    exit_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Uscita"),
                            buttonFrame);
    exit_->setObjectName("cmdUscita");
    exit_->setAutoDefault(false);
    pressOnEnter(exit_);
    auto* buttonLayout = new QHBoxLayout(buttonFrame);
    buttonLayout->addStretch();
    buttonLayout->addWidget(exit_);
    buttonLayout->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addWidget(heading_);
    layout->addWidget(listFrame, 1);
    layout->addWidget(buttonFrame);

    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { presenter_.listDoubleClick(); });
    connect(exit_, &QPushButton::clicked, this, [this] { presenter_.exitClick(); });

    // The window sees every key before its controls do.
    list_->installEventFilter(this);
    exit_->installEventFilter(this);
  }

 protected:
  void refresh() override {
    refreshing_ = true;
    title_->setText(fromCp1252(presenter_.LabelTitolo));
    heading_->setText(fromCp1252(presenter_.ETIC[1]));
    const auto& entries = presenter_.entries();
    if (static_cast<std::size_t>(list_->count()) != entries.size()) {
      list_->clear();
      for (const auto& entry : entries) new QListWidgetItem(choiceIcon(entry.icon), fromCp1252(entry.text), list_);
    }
    list_->showSelection();
    refreshing_ = false;
  }

  void showEvent(QShowEvent* event) override {
    PresenterView::showEvent(event);
    list_->setFocus();
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && handleKey(watched, static_cast<QKeyEvent*>(event))) return true;
    return PresenterView::eventFilter(watched, event);
  }

  void keyPressEvent(QKeyEvent* event) override {
    if (handleKey(this, event)) return;
    PresenterView::keyPressEvent(event);
  }

 private:
  bool handleKey(QObject* target, QKeyEvent* event) {
    if (presenter_.keyDown(event->key(), shiftState(event->modifiers()))) return true;
    if (target != list_) return false;
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter: presenter_.listKeyPress(Scelta::kEnter); return true;
      case Qt::Key_Escape: presenter_.listKeyPress(Scelta::kEscape); return true;
      default: break;
    }
    std::string typed = toCp1252(event->text());
    if (typed.size() == 1) presenter_.listKeyPress(typed[0]);
    return false;
  }

  Scelta& presenter_;
  QLabel* title_ = nullptr;
  QLabel* heading_ = nullptr;
  PresenterList* list_ = nullptr;
  QPushButton* exit_ = nullptr;
  bool refreshing_ = false;
};

}  // namespace

QIcon choiceIcon(std::string_view key) {
  static std::map<std::string, QIcon, std::less<>> cache;
  auto known = painters().find(key);
  if (known == painters().end()) known = painters().find(Scelta::kDefaultIcon);
  auto cached = cache.find(known->first);
  if (cached != cache.end()) return cached->second;
  QPixmap pixmap(kIconSize, kIconSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  known->second(painter);
  painter.end();
  QIcon icon(pixmap);
  cache.emplace(known->first, icon);
  return icon;
}

std::unique_ptr<QDialog> makeChoiceView(WindowPresenter& presenter) {
  return std::make_unique<ChoiceView>(dynamic_cast<Scelta&>(presenter));
}

}  // namespace vt::qt
