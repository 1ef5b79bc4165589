// The one place that knows which widget class stands for each kind of custom control
// (image button, progress bar, connection indicator) and how to drive it; swapping in the
// themed button or the percentage bar changes this file only.
#pragma once

#include <QString>

class QAbstractButton;
class QIcon;
class QWidget;

namespace framewise::factory {

// The eight picture buttons (zoom, rectangle, rotate, add, up, down): text until an icon is set.
QAbstractButton* MakeImageButton(QWidget* parent, const QString& text);
void SetButtonIcon(QAbstractButton* button, const QIcon& icon);

// The six push buttons; never a default button, so Enter never presses one.
QAbstractButton* MakePushButton(QWidget* parent, const QString& text);

// The transfer progress bar (range 0 to 100 until told otherwise).
QWidget* MakeProgressBar(QWidget* parent);
void SetProgressRange(QWidget* bar, int low, int high);
void SetProgressPos(QWidget* bar, int pos);
int ProgressPos(const QWidget* bar);

// The device connection indicator: a framed picture of the connection state.
QWidget* MakeConnectionIndicator(QWidget* parent);
void ShowConnection(QWidget* indicator, bool connected);
bool ShowsConnected(const QWidget* indicator);

}  // namespace framewise::factory
