// Where an image button puts its picture inside the content rectangle, and which one of the
// push-button states its panel is drawn in.
#pragma once

#include <QRect>
#include <Qt>

namespace framewise {

// The x of an image `width` pixels wide. An image wider than the rectangle starts at its left
// edge; otherwise the horizontal alignment decides (left, right, else centred).
int ImageLeft(int width, const QRect& rect, Qt::Alignment alignment);

// The y of an image `height` pixels high. The height is first clamped to the rectangle's, so a
// too-tall image centred or bottom-aligned lands on the top edge; the image is still drawn at
// its own full size.
int ImageTop(int height, const QRect& rect, Qt::Alignment alignment);

// The one state a push-button panel is drawn in; the values are the push-button part states
// that themes number this way.
enum class PushButtonState { Normal = 1, Hot = 2, Pressed = 3, Disabled = 4, Defaulted = 5 };

// Disabled wins over pressed, pressed over hot, hot over default, default over normal.
PushButtonState ButtonState(bool enabled, bool pressed, bool hot, bool isDefault);

}  // namespace framewise
