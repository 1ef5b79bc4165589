// The opening animation: the window grows from nothing by 10 x 15 pixels per 10 ms tick,
// centred on the desktop, to its full size; then the first paint lays it out. Bounded, so
// that a window manager that refuses a size cannot keep it running.
#pragma once

#include <QRect>
#include <QSize>

namespace framewise {

class OpeningAnimation {
  public:
    static constexpr int kTickMs = 10;
    static constexpr int kStepWidth = 10;
    static constexpr int kStepHeight = 15;
    // Ticks allowed beyond what the growth needs before the animation gives up waiting.
    static constexpr int kSpareTicks = 20;

    OpeningAnimation(QSize target, QSize desktop);

    // The first rectangle: size 0 x 0 at the point where the full window would be centred.
    QRect Start() const;
    // One tick, given the size the window really has now (measured before the move): the
    // rectangle to move it to. Once both sides have reached the target, or the tick budget
    // is spent, Finished() turns true and the rectangle is the full-size, centred one.
    QRect Tick(QSize measured);

    bool Finished() const { return m_finished; }
    // True when the animation ended by the budget, not by reaching the size.
    bool GaveUp() const { return m_gaveUp; }
    int Ticks() const { return m_ticks; }
    int TickBudget() const { return m_budget; }

  private:
    QRect Centred(QSize size) const;

    QSize m_target;
    QSize m_desktop;
    int m_stepWidth = kStepWidth;
    int m_stepHeight = kStepHeight;
    int m_ticks = 0;
    int m_budget = 0;
    bool m_finished = false;
    bool m_gaveUp = false;
};

}  // namespace framewise
