#include "controls/PercentProgressCtrl.h"

#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cstdint>

namespace framewise {

PercentProgressCtrl::PercentProgressCtrl(QWidget* parent) : QWidget(parent) {
    // The colours are taken once. Base is the white of text fields, the colour the classic
    // progress bar calls the window colour; text over the bar uses it, text over the rest the
    // highlight, so each half of the text has the other half's background colour.
    const QPalette& colours = palette();
    m_crBar = colours.color(QPalette::Highlight);
    m_crBack = colours.color(QPalette::Base);
    m_crTextOnBack = colours.color(QPalette::Highlight);
    m_crTextOnBar = colours.color(QPalette::Base);
    // Not WA_OpaquePaintEvent: with an empty range nothing is painted, and the parent's
    // background is the sensible thing to see then rather than stale pixels.
}

void PercentProgressCtrl::SetRange(int lower, int upper) {
    m_nLower = lower;
    m_nUpper = upper;
    m_nBarWidth = -1;
}

// The whole pixels of the bar in a client `clientWidth` wide: exact integer arithmetic, so
// position 29 of 100 over 100 pixels is 29 pixels (floating point would give 28). An empty or
// reversed range has no bar; a position outside the range counts as its nearer end.
int PercentProgressCtrl::BarWidth(int clientWidth) const {
    if (m_nLower >= m_nUpper || clientWidth <= 0) return 0;
    const std::int64_t done =
        std::clamp(m_nPosition, m_nLower, m_nUpper) - static_cast<std::int64_t>(m_nLower);
    const std::int64_t span = static_cast<std::int64_t>(m_nUpper) - m_nLower;
    return static_cast<int>(done * clientWidth / span);
}

// The percentage is the bar's width on a bar 100 pixels wide, exact and clamped alike.
int PercentProgressCtrl::Percent() const {
    return BarWidth(100);
}

int PercentProgressCtrl::SetPos(int position) {
    if (!testAttribute(Qt::WA_WState_Created)) return -1;
    const int previous = m_nPosition;
    m_nPosition = position;
    const int width = BarWidth(this->width());
    if (width == m_nBarWidth) return previous;
    m_nBarWidth = width;
    repaint();
    return previous;
}

void PercentProgressCtrl::SetWindowText(const QString& text) {
    if (text == m_strText) return;
    m_strText = text;
    update();
}

void PercentProgressCtrl::SetShowText(bool show) {
    if (show == m_bShowText) return;
    m_bShowText = show;
    update();
}

QSize PercentProgressCtrl::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    return {metrics.horizontalAdvance(QStringLiteral("100%")) * 6, metrics.height() + 8};
}

void PercentProgressCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_nBarWidth = -1;
}

// Painting goes into the window's backing store, which Qt flushes to the screen in one step
// after the whole paint: the bar, its background and both halves of the text never show
// half-drawn, so no pixmap of our own is needed.
void PercentProgressCtrl::paintEvent(QPaintEvent*) {
    if (m_nLower >= m_nUpper) return;
    const QRect client = rect();
    const int edge = client.left() + BarWidth(client.width());
    const QRect bar(client.left(), client.top(), edge - client.left(), client.height());
    const QRect rest(edge, client.top(), client.right() + 1 - edge, client.height());

    QPainter painter(this);
    painter.fillRect(bar, m_crBar);
    painter.fillRect(rest, m_crBack);
    if (!m_bShowText) return;

    const QString str =
        m_strText.isEmpty() ? QString::number(Percent()) + QLatin1Char('%') : m_strText;
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    // A side without pixels has no part of the text to show.
    if (!bar.isEmpty()) {
        painter.setClipRect(bar);
        painter.setPen(m_crTextOnBar);
        painter.drawText(client, flags, str);
    }
    if (!rest.isEmpty()) {
        painter.setClipRect(rest);
        painter.setPen(m_crTextOnBack);
        painter.drawText(client, flags, str);
    }
}

}  // namespace framewise
