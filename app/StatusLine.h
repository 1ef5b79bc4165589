// The status bar at the foot of the window (id 1013): part 0, 100 pixels wide, with the
// "Info:" text, and part 1 with the status text. The window recreates it after the layout
// and after each caption change, which clears the status text.
#pragma once

#include <QFrame>

class QLabel;

namespace framewise {

class StatusLine : public QFrame {
    Q_OBJECT
  public:
    static constexpr int kLeftPartWidth = 100;
    static constexpr int kHeight = 22;

    StatusLine(const QString& leftText, QWidget* parent);

    void SetStatusText(const QString& text);
    QString LeftText() const;
    QString StatusText() const;

  private:
    QLabel* m_left;
    QLabel* m_status;
};

}  // namespace framewise
