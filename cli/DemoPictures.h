// The pictures of the demonstration frame, painted by the program itself (landscapes, shapes,
// a greeting) at any size, so that a new user sees an album without bringing any photos.
#pragma once

#include <QImage>
#include <QSize>

namespace framewise::cli {

inline constexpr int kDemoPictureCount = 6;

// Picture number which (0 to kDemoPictureCount - 1) painted at size; a null image for any
// other number. The greeting's text needs a QGuiApplication.
QImage PaintDemoPicture(int which, QSize size);

}  // namespace framewise::cli
