// How fast the link to the frame is: every command's time and size, fitted per direction to
// time = a fixed cost per command + bytes / throughput, so that the time of a planned
// transfer can be told before it is made.
#pragma once

#include <cstdint>
#include <mutex>

namespace framewise {

// What a piece of work sends over the link: commands and data bytes, per direction.
struct LinkWork {
    uint64_t inCommands = 0;   // commands that bring data from the frame (reads, replies)
    uint64_t inBytes = 0;
    uint64_t outCommands = 0;  // commands that send data or nothing (erase, program, ...)
    uint64_t outBytes = 0;

    LinkWork& operator+=(const LinkWork& other) {
        inCommands += other.inCommands;
        inBytes += other.inBytes;
        outCommands += other.outCommands;
        outBytes += other.outBytes;
        return *this;
    }
    LinkWork Times(uint64_t n) const {
        return {inCommands * n, inBytes * n, outCommands * n, outBytes * n};
    }
    uint64_t Commands() const { return inCommands + outCommands; }
};

// A fixed cost per command and a throughput.
struct LinkSpeed {
    double secondsPerCommand = 0.0;
    double bytesPerSecond = 0.0;
    bool measured = false;  // from commands this link has carried (else the default)
};

class LinkMeter {
  public:
    // A USB full-speed frame, for a link that has carried nothing yet: 1 ms a command and
    // 900,000 bytes a second.
    static LinkSpeed DefaultSpeed() { return {0.001, 900000.0, false}; }

    void Record(bool dataIn, uint64_t bytes, double seconds);
    void Reset();

    // The fitted speed of one direction; a direction without a usable fit takes the other
    // one's, and without either the default.
    LinkSpeed In() const;
    LinkSpeed Out() const;
    // The time work takes at the measured speeds, in seconds.
    double Estimate(const LinkWork& work) const;

  private:
    // Sums of a least-squares line through (bytes, seconds).
    struct Fit {
        double n = 0, sumX = 0, sumY = 0, sumXX = 0, sumXY = 0;
        void Add(double x, double y);
        bool Solve(LinkSpeed& speed) const;
    };
    LinkSpeed Speed(const Fit& own, const Fit& other) const;

    mutable std::mutex m_mutex;
    Fit m_in;
    Fit m_out;
};

}  // namespace framewise
