// The preview inside the "Preview:" group box (1020): it paints what the canvas's last draw
// planned - the frame image and the black-and-white dotted crop frame - and turns the mouse
// over it into the canvas's pointer input, taking and releasing the pointer capture (with the
// size-all cursor) as the canvas answers.
#pragma once

#include <QWidget>

#include <functional>

#include "app/PreviewMapping.h"
#include "picture/CropZoom.h"
#include "picture/PreviewCanvas.h"

namespace framewise {

// What the preview asks of its owner; points in the canvas's coordinates.
class PreviewInput {
  public:
    virtual ~PreviewInput() = default;
    virtual void LeftButtonDown(Point p) = 0;
    virtual MoveOutcome MouseMove(Point p) = 0;
    virtual void LeftButtonUp() = 0;
    virtual void LeftDoubleClick(Point p) = 0;
};

class PreviewWidget : public QWidget {
    Q_OBJECT
  public:
    // A see-through child of box that always covers it; window is the one whose client
    // coordinates the canvas uses.
    PreviewWidget(QWidget* box, QWidget* window);

    void SetInput(PreviewInput* input) { m_input = input; }
    // Called when the box has moved or changed its size (the layout), after the mapping.
    void SetBoxChangedHandler(std::function<void()> handler) { m_boxChanged = std::move(handler); }

    // Paints plan from now on.
    void ShowPlan(DrawPlan plan);
    const DrawPlan& Plan() const { return m_plan; }
    const PreviewMapping& Mapping() const { return m_mapping; }
    // The box in the window's client coordinates, as the canvas takes it.
    Rect CanvasBox() const;

    // Whether the preview holds the pointer capture taken over the crop frame.
    bool Capturing() const;
    void ReleaseCapture();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FollowBox();
    Point CanvasPoint(const QMouseEvent* event) const;

    QWidget* m_box;
    QWidget* m_window;
    PreviewMapping m_mapping;
    PreviewInput* m_input = nullptr;
    std::function<void()> m_boxChanged;
    DrawPlan m_plan;
};

// Paints the outline of frame (right and bottom outside, as the canvas keeps it) one pixel
// wide in alternating black and white dots; the dots keep their place in the window's
// coordinates (mapping), so a moved frame does not shimmer.
void PaintDottedFrame(QPainter& painter, const QRect& frame, const PreviewMapping& mapping);

}  // namespace framewise
