// What runs besides the window's own event loop - a transfer, the batch, a command that waits
// in a dialog, the thumbnail run - so that the program ends only once none of it does. A frame
// removal or a stopped synchronize never joins a worker that may be waiting on the window: it
// asks the work to stop and ends when the work's end event has come.
#pragma once

#include <QObject>
#include <QTimer>
#include <array>
#include <functional>

namespace framewise {

class RunningWork : public QObject {
    Q_OBJECT
  public:
    enum class Kind { Transfer, Batch, Command };

    // thumbnailsRunning: whether the folder browser's thumbnail run is still going (may be
    // empty); its end is looked for while the program waits to end.
    explicit RunningWork(std::function<bool()> thumbnailsRunning = {}, QObject* parent = nullptr);

    // A piece of work began; its end event (or, for a command, its return) ends it.
    void Started(Kind kind);
    void Ended(Kind kind);
    bool Runs(Kind kind) const { return m_counts[Index(kind)] > 0; }
    bool AnyRuns() const;

    // The program is to end: end runs once nothing runs any more (at once when nothing does).
    // A later call while one waits is ignored: the first reason to end stands.
    void EndWhenIdle(std::function<void()> end);
    bool Ending() const { return m_ending; }

    // A command on the window's thread, for as long as it runs (its dialogs included).
    class Scope {
      public:
        explicit Scope(RunningWork& work) : m_work(work) { m_work.Started(Kind::Command); }
        ~Scope() { m_work.Ended(Kind::Command); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

      private:
        RunningWork& m_work;
    };

    // How often a waiting end looks again for work that ends without an event of ours.
    static constexpr int kRecheckMs = 50;

  private:
    static constexpr size_t Index(Kind kind) { return static_cast<size_t>(kind); }
    void Check();

    std::function<bool()> m_thumbnailsRunning;
    std::array<int, 3> m_counts{};
    std::function<void()> m_end;
    bool m_ending = false;
    QTimer m_recheck;
};

}  // namespace framewise
