// A push button that shows an icon instead of its caption and still looks like the running
// style's push button: the style's panel, then the icon (dimmed when disabled), then the focus
// rectangle inside the style's content rectangle.
#pragma once

#include <QPushButton>

class QStyle;

namespace framewise {

// A classic style (the plain Windows look, or a bare QCommonStyle) has no themed panel to draw
// under an icon; buttons then leave the whole painting to the style, as any push button does.
// A proxy style counts as the style it wraps.
bool IsClassicStyle(const QStyle* style);

class CImageButtonWithStyle : public QPushButton {
    Q_OBJECT

  public:
    explicit CImageButtonWithStyle(QWidget* parent = nullptr);
    // The caption stays the button's text() (accessibility, tests) but is not painted while
    // the button has an icon.
    CImageButtonWithStyle(const QIcon& icon, const QString& caption, QWidget* parent = nullptr);

    // Where the icon sits in the content rectangle; centred both ways unless told otherwise.
    void SetImageAlignment(Qt::Alignment alignment);
    Qt::Alignment ImageAlignment() const { return m_alignment; }

    // The part of the panel the style leaves for the content, in widget coordinates.
    QRect ContentRect() const;

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void PaintThemed(QPainter& painter);

    Qt::Alignment m_alignment = Qt::AlignCenter;
};

}  // namespace framewise
