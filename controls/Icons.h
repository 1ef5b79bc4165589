// The program's own icons, drawn as SVG and compiled into the controls library: the eight
// picture buttons, the connection indicator's two pictures and the application icon.
#pragma once

#include <QIcon>
#include <QString>

namespace framewise {

namespace icons {
inline constexpr char kApplication[] = "framewise";
inline constexpr char kZoomIn[] = "framewise-zoom-in";
inline constexpr char kZoomOut[] = "framewise-zoom-out";
inline constexpr char kCrop[] = "framewise-crop";
inline constexpr char kRotateLeft[] = "framewise-rotate-left";
inline constexpr char kRotateRight[] = "framewise-rotate-right";
inline constexpr char kAdd[] = "framewise-add";
inline constexpr char kUp[] = "framewise-up";
inline constexpr char kDown[] = "framewise-down";
inline constexpr char kConnected[] = "framewise-connected";
inline constexpr char kDisconnected[] = "framewise-disconnected";

// The side the picture buttons show their icons at: inside a 38 x 38 button it leaves the
// icon a margin in every style's content rectangle.
inline constexpr int kButtonIconSide = 24;
}  // namespace icons

// The resource path of icon `name` (one of the names above).
QString IconPath(const QString& name);

// Icon `name`, drawn afresh from its SVG at every size asked for, so it stays sharp from 16 to
// 256 pixels; the disabled and selected forms come from the application's style. A null icon
// when there is no such icon.
QIcon FramewiseIcon(const QString& name);

}  // namespace framewise
