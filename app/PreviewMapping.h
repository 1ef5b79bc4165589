// The one place that maps between the preview widget and the preview canvas: the canvas works
// in the main window's client coordinates (its box, the shown picture, the crop frame), the
// widget in its own, and the widget sits at an offset inside the window.
#pragma once

#include <QPoint>
#include <QRect>

#include "picture/Geometry.h"

class QWidget;

namespace framewise {

class PreviewMapping {
  public:
    PreviewMapping() = default;
    // origin: the widget's top-left pixel in the window's client coordinates.
    explicit PreviewMapping(QPoint origin) : m_origin(origin) {}
    // The mapping of widget inside window (any depth of parents between them).
    static PreviewMapping Of(const QWidget& widget, const QWidget& window);

    Point ToCanvas(QPoint widgetPoint) const;
    QPoint ToWidget(Point canvasPoint) const;
    // A canvas rectangle (right and bottom outside) as the widget's QRect of the same pixels.
    QRect ToWidget(const Rect& canvasRect) const;
    // A rectangle in the window's client coordinates (a control's geometry) as the canvas
    // takes it.
    static Rect CanvasRect(const QRect& clientRect);

    QPoint Origin() const { return m_origin; }

  private:
    QPoint m_origin;
};

}  // namespace framewise
