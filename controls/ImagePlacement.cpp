#include "controls/ImagePlacement.h"

#include <algorithm>

namespace framewise {

// QRect::right() is the last pixel inside; the alignment arithmetic wants the edge after it.
static int RightEdge(const QRect& rect) {
    return rect.x() + rect.width();
}

static int BottomEdge(const QRect& rect) {
    return rect.y() + rect.height();
}

int ImageLeft(int width, const QRect& rect, Qt::Alignment alignment) {
    const Qt::Alignment horizontal =
        alignment & (Qt::AlignLeft | Qt::AlignRight | Qt::AlignHCenter);
    if (width > rect.width() || horizontal == Qt::AlignLeft) return rect.x();
    if (horizontal == Qt::AlignRight) return RightEdge(rect) - width;
    return rect.x() + (rect.width() - width) / 2;
}

int ImageTop(int height, const QRect& rect, Qt::Alignment alignment) {
    height = std::min(height, rect.height());
    const Qt::Alignment vertical = alignment & (Qt::AlignTop | Qt::AlignBottom | Qt::AlignVCenter);
    if (vertical == Qt::AlignTop) return rect.y();
    if (vertical == Qt::AlignBottom) return BottomEdge(rect) - height;
    return rect.y() + (rect.height() - height) / 2;
}

PushButtonState ButtonState(bool enabled, bool pressed, bool hot, bool isDefault) {
    if (!enabled) return PushButtonState::Disabled;
    if (pressed) return PushButtonState::Pressed;
    if (hot) return PushButtonState::Hot;
    if (isDefault) return PushButtonState::Defaulted;
    return PushButtonState::Normal;
}

}  // namespace framewise
