#include "device/LinkMeter.h"

namespace framewise {

void LinkMeter::Fit::Add(double x, double y) {
    n += 1;
    sumX += x;
    sumY += y;
    sumXX += x * x;
    sumXY += x * y;
}

bool LinkMeter::Fit::Solve(LinkSpeed& speed) const {
    // Two sizes at least are needed to tell the per-command cost from the throughput; a
    // direction that only ever carried one size has no usable fit.
    const double denominator = n * sumXX - sumX * sumX;
    if (n < 2 || denominator <= 1e-9 * n * sumXX) return false;
    const double slope = (n * sumXY - sumX * sumY) / denominator;  // seconds per byte
    const double intercept = (sumY - slope * sumX) / n;            // seconds per command
    if (!(slope > 0)) return false;
    speed.bytesPerSecond = 1.0 / slope;
    // Timer noise may put a small negative cost on a fast link: no command is free of time.
    speed.secondsPerCommand = intercept > 0 ? intercept : 0.0;
    speed.measured = true;
    return true;
}

void LinkMeter::Record(bool dataIn, uint64_t bytes, double seconds) {
    std::lock_guard lock(m_mutex);
    (dataIn ? m_in : m_out).Add(static_cast<double>(bytes), seconds);
}

void LinkMeter::Reset() {
    std::lock_guard lock(m_mutex);
    m_in = Fit{};
    m_out = Fit{};
}

LinkSpeed LinkMeter::Speed(const Fit& own, const Fit& other) const {
    LinkSpeed speed;
    if (own.Solve(speed) || other.Solve(speed)) return speed;
    return DefaultSpeed();
}

LinkSpeed LinkMeter::In() const {
    std::lock_guard lock(m_mutex);
    return Speed(m_in, m_out);
}

LinkSpeed LinkMeter::Out() const {
    std::lock_guard lock(m_mutex);
    return Speed(m_out, m_in);
}

double LinkMeter::Estimate(const LinkWork& work) const {
    const LinkSpeed in = In();
    const LinkSpeed out = Out();
    return static_cast<double>(work.inCommands) * in.secondsPerCommand +
           static_cast<double>(work.inBytes) / in.bytesPerSecond +
           static_cast<double>(work.outCommands) * out.secondsPerCommand +
           static_cast<double>(work.outBytes) / out.bytesPerSecond;
}

}  // namespace framewise
