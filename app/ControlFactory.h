// The one place that knows which widget class stands for each kind of custom control
// (image button, progress bar, connection indicator, album list) and how to drive it.
#pragma once

#include <QListWidget>
#include <QString>

class QAbstractButton;
class QIcon;
class QWidget;

namespace framewise::factory {

// The eight picture buttons (zoom, rectangle, rotate, add, up, down): the themed image
// button, showing its caption until an icon is set, then the icon alone.
QAbstractButton* MakeImageButton(QWidget* parent, const QString& text);
void SetButtonIcon(QAbstractButton* button, const QIcon& icon);
// The eight buttons' icons by control id (null for any other id).
const char* ButtonIconName(int controlId);

// The six push buttons; never a default button, so Enter never presses one.
QAbstractButton* MakePushButton(QWidget* parent, const QString& text);

// The transfer progress bar with its percentage (range 0 to 100 until told otherwise).
QWidget* MakeProgressBar(QWidget* parent);
void SetProgressRange(QWidget* bar, int low, int high);
void SetProgressPos(QWidget* bar, int pos);
int ProgressPos(const QWidget* bar);

// The picture total (1017): its lines centred, wrapped where one is too long, in the largest
// font up to the window's that fits the control (the transfer warning is longer than a total).
QWidget* MakePictureTotal(QWidget* parent, const QString& text);

// The device connection indicator: a framed picture of the connection state.
QWidget* MakeConnectionIndicator(QWidget* parent);
void ShowConnection(QWidget* indicator, bool connected);
bool ShowsConnected(const QWidget* indicator);

// An icon-view list whose items sit where they are told (SetItemPosition) rather than where
// the view's own flow would put them; the album list (1005).
class PlacedIconList : public QListWidget {
  public:
    explicit PlacedIconList(QWidget* parent);
    // Places item row's top-left corner at position (list coordinates), now and after every
    // layout the view does of its own accord.
    void SetItemPosition(int row, QPoint position);
    QPoint ItemPosition(int row) const;
    void doItemsLayout() override;

  private:
    void Place(int row);
};

}  // namespace framewise::factory
