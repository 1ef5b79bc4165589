// The transfer progress bar: the done part filled in the highlight colour, the rest in the
// background colour, and a centred text (the percentage unless a text is set) drawn in the
// other colour on each side of the bar's edge, so it stays readable where the bar passes it.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace framewise {

class PercentProgressCtrl : public QWidget {
    Q_OBJECT

  public:
    explicit PercentProgressCtrl(QWidget* parent = nullptr);

    // Stores the range. Nothing is redrawn, but the next SetPos redraws, as the bar it measures
    // against is gone.
    void SetRange(int lower, int upper);

    // Moves the bar and answers the previous position. Before the control's window exists
    // (until it is first shown; hiding it later does not count) it answers -1 and changes
    // nothing. Repaints at once, and only when the bar's width in whole pixels changes: the text
    // shown may then lag behind until the width moves. The position is kept as given; one
    // outside the range draws a bar clamped to it.
    int SetPos(int position);

    // A text shown instead of the percentage; an empty text brings the percentage back.
    void SetWindowText(const QString& text);
    QString GetWindowText() const { return m_strText; }

    // Whether any text is drawn over the bar.
    void SetShowText(bool show);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    int BarWidth(int clientWidth) const;
    int Percent() const;

    int m_nPosition = 0;
    int m_nUpper = 100;
    int m_nLower = 0;
    QString m_strText;
    bool m_bShowText = true;
    int m_nBarWidth = -1;  // width drawn last; -1 makes the next SetPos redraw
    QColor m_crBar;
    QColor m_crBack;
    QColor m_crTextOnBack;
    QColor m_crTextOnBar;
};

}  // namespace framewise
