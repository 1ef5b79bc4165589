#include "app/PreviewMapping.h"

#include <QWidget>

namespace framewise {

PreviewMapping PreviewMapping::Of(const QWidget& widget, const QWidget& window) {
    return PreviewMapping(widget.mapTo(&window, QPoint(0, 0)));
}

Point PreviewMapping::ToCanvas(QPoint widgetPoint) const {
    return {widgetPoint.x() + m_origin.x(), widgetPoint.y() + m_origin.y()};
}

QPoint PreviewMapping::ToWidget(Point canvasPoint) const {
    return {canvasPoint.x - m_origin.x(), canvasPoint.y - m_origin.y()};
}

QRect PreviewMapping::ToWidget(const Rect& canvasRect) const {
    return QRect(ToWidget(Point{canvasRect.left, canvasRect.top}),
                 QSize(canvasRect.Width(), canvasRect.Height()));
}

Rect PreviewMapping::CanvasRect(const QRect& clientRect) {
    return {clientRect.left(), clientRect.top(), clientRect.left() + clientRect.width(),
            clientRect.top() + clientRect.height()};
}

}  // namespace framewise
