#include "browser/ThumbnailRun.h"

#include <QRunnable>
#include <atomic>
#include <optional>
#include <system_error>

#include "config/EventNames.h"
#include "picture/Bmp24.h"

namespace framewise {

namespace fs = std::filesystem;

struct ThumbnailRun::State {
    ThumbnailJob job;
    EventPoster poster;
    std::atomic<bool> cancelled{false};
    std::mutex mutex;                            // guards results and next
    std::vector<std::optional<QImage>> results;  // set once decoded; a null image: skipped
    int next = 0;
    bool doneTaken = false;
    std::atomic<bool> finished{false};  // "SourceTileToBmpFinish" has been posted
};

ThumbnailRun::ThumbnailRun(int threads) {
    m_pool.setMaxThreadCount(std::max(1, threads));
    // Decoders stay parked between runs instead of being started afresh for each folder.
    m_pool.setExpiryTimeout(60000);
    // One writer, so the files of a run are written after the folder was emptied for it.
    m_writer.setMaxThreadCount(1);
    m_writer.setExpiryTimeout(60000);
}

ThumbnailRun::~ThumbnailRun() {
    Cancel();
    m_pool.waitForDone();
    m_writer.waitForDone();
}

void ThumbnailRun::Cancel() {
    if (m_state) m_state->cancelled = true;
    // Pictures and files not yet started are dropped; the ones in hand see the flag.
    m_pool.clear();
    m_writer.clear();
}

void ThumbnailRun::Start(ThumbnailJob job, EventPoster poster) {
    Cancel();
    auto state = std::make_shared<State>();
    state->job = std::move(job);
    state->poster = std::move(poster);
    state->results.resize(state->job.names.size());
    m_state = state;
    if (!state->job.thumbFolder.empty()) {
        // The folder is emptied off the GUI thread, before this run's first file.
        m_writer.start([state] {
            if (state->cancelled) return;
            std::error_code ec;
            fs::create_directories(state->job.thumbFolder, ec);
            for (fs::directory_iterator it(state->job.thumbFolder, ec), end; !ec && it != end;
                 it.increment(ec)) {
                std::error_code typeEc, removeEc;
                if (!it->is_directory(typeEc)) fs::remove(it->path(), removeEc);
            }
        });
    }
    for (int i = 0; i < int(state->results.size()); ++i)
        m_pool.start([this, state, i] { Decode(state, i); });
}

void ThumbnailRun::Decode(const std::shared_ptr<State>& state, int index) {
    if (state->cancelled) return;
    const ThumbnailJob& job = state->job;
    const std::string& name = job.names[std::size_t(index)];
    const QImage framed =
        RenderThumbnail(fs::path(job.folderPrefix + name), job.side, job.buttonFace, job.limits)
            .framed;
    {
        std::lock_guard lock(state->mutex);
        state->results[std::size_t(index)] = framed;
    }
    if (state->cancelled) return;
    if (state->poster) state->poster(events::kSourceTileToBmpOne, index);
    if (framed.isNull() || job.thumbFolder.empty()) return;
    // The file is written by the writer, so storing it never holds up the next decode.
    m_writer.start([state, framed, file = job.thumbFolder / name] {
        if (state->cancelled) return;
        // The thumbnail file keeps the picture's name, although it holds a BMP. One that
        // cannot be stored is still shown.
        (void)WriteBmp24(file, framed);
    });
}

ThumbnailRun::Next ThumbnailRun::TakeNext(int& index, QImage& framed) {
    if (!m_state) return Next::NotReady;
    State& state = *m_state;
    std::lock_guard lock(state.mutex);
    if (state.cancelled) return Next::NotReady;
    if (state.next >= int(state.results.size())) {
        if (state.doneTaken) return Next::NotReady;
        state.doneTaken = true;
        return Next::Done;
    }
    std::optional<QImage>& slot = state.results[std::size_t(state.next)];
    if (!slot) return Next::NotReady;
    index = state.next++;
    framed = std::move(*slot);
    slot = QImage();  // the GUI thread holds it now
    return framed.isNull() ? Next::Skipped : Next::Thumbnail;
}

void ThumbnailRun::FinishAfterFiles() {
    const std::shared_ptr<State> state = m_state;
    if (!state) return;
    m_writer.start([state] {
        if (state->cancelled) return;
        state->finished = true;
        if (state->poster) state->poster(events::kSourceTileToBmpFinish, 0);
    });
}

bool ThumbnailRun::Active() const {
    return m_state && !m_state->cancelled && !m_state->finished;
}

int ThumbnailRun::Count() const {
    return m_state ? int(m_state->results.size()) : 0;
}

std::string ThumbnailRun::Name(int index) const {
    if (!m_state || index < 0 || index >= int(m_state->job.names.size())) return {};
    return m_state->job.names[std::size_t(index)];
}

}  // namespace framewise
