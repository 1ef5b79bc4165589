#include "app/PreviewWidget.h"

#include <QMouseEvent>
#include <QPainter>

#include <vector>

namespace framewise {

void PaintDottedFrame(QPainter& painter, const QRect& frame, const PreviewMapping& mapping) {
    if (frame.width() <= 0 || frame.height() <= 0) return;
    std::vector<QPoint> black, white;
    auto dot = [&](int x, int y) {
        const Point at = mapping.ToCanvas({x, y});
        ((at.x + at.y) % 2 == 0 ? black : white).emplace_back(x, y);
    };
    const int left = frame.left(), top = frame.top();
    const int right = left + frame.width() - 1, bottom = top + frame.height() - 1;
    for (int x = left; x <= right; ++x) {
        dot(x, top);
        if (bottom != top) dot(x, bottom);
    }
    for (int y = top + 1; y < bottom; ++y) {
        dot(left, y);
        if (right != left) dot(right, y);
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawPoints(black.data(), int(black.size()));
    painter.setPen(QPen(Qt::white, 1));
    painter.drawPoints(white.data(), int(white.size()));
    painter.restore();
}

PreviewWidget::PreviewWidget(QWidget* box, QWidget* window)
    : QWidget(box), m_box(box), m_window(window) {
    setObjectName(QStringLiteral("PreviewCanvas"));
    // The group box's frame and caption show through wherever no picture is drawn.
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setMouseTracking(true);
    box->installEventFilter(this);
    FollowBox();
}

Rect PreviewWidget::CanvasBox() const {
    return PreviewMapping::CanvasRect(QRect(m_box->mapTo(m_window, QPoint(0, 0)), m_box->size()));
}

void PreviewWidget::FollowBox() {
    setGeometry(m_box->rect());
    m_mapping = PreviewMapping::Of(*this, *m_window);
}

bool PreviewWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_box && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
        FollowBox();
        if (m_boxChanged) m_boxChanged();
    }
    return QWidget::eventFilter(watched, event);
}

void PreviewWidget::ShowPlan(DrawPlan plan) {
    m_plan = std::move(plan);
    update();
}

void PreviewWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_plan.drawPicture)
        painter.drawImage(m_mapping.ToWidget(m_plan.at), m_plan.picture);
    if (m_plan.drawCrop) PaintDottedFrame(painter, m_mapping.ToWidget(m_plan.crop), m_mapping);
}

Point PreviewWidget::CanvasPoint(const QMouseEvent* event) const {
    return m_mapping.ToCanvas(event->position().toPoint());
}

bool PreviewWidget::Capturing() const {
    return QWidget::mouseGrabber() == this;
}

void PreviewWidget::ReleaseCapture() {
    if (Capturing()) releaseMouse();
}

void PreviewWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_input) m_input->LeftButtonDown(CanvasPoint(event));
}

void PreviewWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!m_input) return;
    const MoveOutcome outcome = m_input->MouseMove(CanvasPoint(event));
    switch (outcome.capture) {
        case PointerCapture::TakeWithSizeAllCursor:
            // Taken over the frame, so that the move that leaves it is seen wherever it goes.
            if (!Capturing()) grabMouse(Qt::SizeAllCursor);
            break;
        case PointerCapture::Release:
            ReleaseCapture();
            break;
        case PointerCapture::Unchanged:
            break;
    }
}

void PreviewWidget::mouseReleaseEvent(QMouseEvent* event) {
    // The capture stays: only a move off the frame gives it back.
    if (event->button() == Qt::LeftButton && m_input) m_input->LeftButtonUp();
}

void PreviewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_input) m_input->LeftDoubleClick(CanvasPoint(event));
}

void PreviewWidget::hideEvent(QHideEvent* event) {
    ReleaseCapture();
    QWidget::hideEvent(event);
}

bool PreviewWidget::event(QEvent* event) {
    // A window that is no longer active must not keep the whole desktop's pointer.
    if (event->type() == QEvent::WindowDeactivate) ReleaseCapture();
    return QWidget::event(event);
}

}  // namespace framewise
