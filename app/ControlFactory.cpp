#include "app/ControlFactory.h"

#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

namespace framewise::factory {

namespace {
constexpr char kConnectedProperty[] = "connected";

// A plug drawn in the state's colour: green while the frame is connected, grey otherwise.
QPixmap ConnectionPicture(bool connected, QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colour = connected ? QColor(0x2e, 0xa0, 0x43) : QColor(0x90, 0x90, 0x90);
    const qreal w = size.width(), h = size.height();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(w * 0.25, h * 0.30, w * 0.50, h * 0.38), 3, 3);
    p.drawRect(QRectF(w * 0.33, h * 0.12, w * 0.09, h * 0.20));
    p.drawRect(QRectF(w * 0.58, h * 0.12, w * 0.09, h * 0.20));
    p.drawRect(QRectF(w * 0.45, h * 0.66, w * 0.10, h * 0.24));
    if (!connected) {
        p.setPen(QPen(QColor(0xc0, 0x30, 0x30), 2.5));
        p.drawLine(QPointF(w * 0.18, h * 0.82), QPointF(w * 0.82, h * 0.18));
    }
    return pixmap;
}
}  // namespace

QAbstractButton* MakeImageButton(QWidget* parent, const QString& text) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

void SetButtonIcon(QAbstractButton* button, const QIcon& icon) {
    button->setIcon(icon);
    if (auto* tool = qobject_cast<QToolButton*>(button))
        tool->setToolButtonStyle(icon.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
}

QAbstractButton* MakePushButton(QWidget* parent, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QWidget* MakeProgressBar(QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(true);
    bar->setAlignment(Qt::AlignCenter);
    return bar;
}

void SetProgressRange(QWidget* bar, int low, int high) {
    if (auto* p = qobject_cast<QProgressBar*>(bar)) p->setRange(low, high);
}

void SetProgressPos(QWidget* bar, int pos) {
    if (auto* p = qobject_cast<QProgressBar*>(bar)) p->setValue(pos);
}

int ProgressPos(const QWidget* bar) {
    auto* p = qobject_cast<const QProgressBar*>(bar);
    return p ? p->value() : 0;
}

QWidget* MakeConnectionIndicator(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    ShowConnection(label, false);
    return label;
}

void ShowConnection(QWidget* indicator, bool connected) {
    auto* label = qobject_cast<QLabel*>(indicator);
    if (!label) return;
    label->setProperty(kConnectedProperty, connected);
    const int side = std::max(16, std::min(label->width(), label->height()) - 6);
    label->setPixmap(ConnectionPicture(connected, QSize(side, side)));
}

bool ShowsConnected(const QWidget* indicator) {
    return indicator && indicator->property(kConnectedProperty).toBool();
}

}  // namespace framewise::factory
