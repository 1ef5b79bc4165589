#include "app/OpeningAnimation.h"

#include <algorithm>

namespace framewise {

namespace {
int TicksFor(int length, int step) {
    return (std::max(length, 0) + step - 1) / step;
}
}  // namespace

OpeningAnimation::OpeningAnimation(QSize target, QSize desktop)
    : m_target(target), m_desktop(desktop) {
    m_budget = std::max(TicksFor(target.width(), kStepWidth),
                        TicksFor(target.height(), kStepHeight)) +
               kSpareTicks;
}

QRect OpeningAnimation::Centred(QSize size) const {
    return QRect((m_desktop.width() - size.width()) / 2, (m_desktop.height() - size.height()) / 2,
                 size.width(), size.height());
}

QRect OpeningAnimation::Start() const {
    const QRect full = Centred(m_target);
    return QRect(full.topLeft(), QSize(0, 0));
}

QRect OpeningAnimation::Tick(QSize measured) {
    if (m_finished) return Centred(m_target);
    ++m_ticks;
    // A side that has reached its size stops growing.
    if (measured.width() >= m_target.width()) m_stepWidth = 0;
    if (measured.height() >= m_target.height()) m_stepHeight = 0;
    if (m_stepWidth == 0 && m_stepHeight == 0) {
        m_finished = true;
        return Centred(m_target);
    }
    if (m_ticks >= m_budget) {
        m_finished = m_gaveUp = true;
        return Centred(m_target);
    }
    const QSize next(std::min(measured.width() + m_stepWidth, m_target.width()),
                     std::min(measured.height() + m_stepHeight, m_target.height()));
    return Centred(next);
}

}  // namespace framewise
