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
};

ThumbnailRun::ThumbnailRun(int threads) {
    m_pool.setMaxThreadCount(std::max(1, threads));
    // Decoders stay parked between runs instead of being started afresh for each folder.
    m_pool.setExpiryTimeout(60000);
}

ThumbnailRun::~ThumbnailRun() {
    Cancel();
    m_pool.waitForDone();
}

void ThumbnailRun::Cancel() {
    if (m_state) m_state->cancelled = true;
    m_pool.clear();  // pictures not yet started are dropped
}

void ThumbnailRun::Start(ThumbnailJob job, EventPoster poster) {
    Cancel();
    auto state = std::make_shared<State>();
    state->job = std::move(job);
    state->poster = std::move(poster);
    state->results.resize(state->job.names.size());
    if (!state->job.thumbFolder.empty()) {
        std::lock_guard lock(*m_fileMutex);
        std::error_code ec;
        fs::create_directories(state->job.thumbFolder, ec);
        for (fs::directory_iterator it(state->job.thumbFolder, ec), end; !ec && it != end;
             it.increment(ec)) {
            std::error_code typeEc, removeEc;
            if (!it->is_directory(typeEc)) fs::remove(it->path(), removeEc);
        }
    }
    m_state = state;
    for (int i = 0; i < int(state->results.size()); ++i)
        m_pool.start([this, state, i] { Decode(state, i); });
}

void ThumbnailRun::Decode(const std::shared_ptr<State>& state, int index) {
    if (state->cancelled) return;
    const ThumbnailJob& job = state->job;
    const std::string& name = job.names[std::size_t(index)];
    RenderedThumbnail rendered =
        RenderThumbnail(fs::path(job.folderPrefix + name), job.side, job.buttonFace, job.limits);
    if (!rendered.framed.isNull() && !job.thumbFolder.empty()) {
        // The thumbnail file keeps the picture's name, although it holds a BMP.
        std::lock_guard lock(*m_fileMutex);
        if (state->cancelled) return;
        if (!WriteBmp24(job.thumbFolder / name, rendered.framed)) {
            // A thumbnail that cannot be stored is still shown.
        }
    }
    {
        std::lock_guard lock(state->mutex);
        state->results[std::size_t(index)] = std::move(rendered.framed);
    }
    if (!state->cancelled && state->poster) state->poster(events::kSourceTileToBmpOne, index);
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

bool ThumbnailRun::Active() const {
    if (!m_state || m_state->cancelled) return false;
    std::lock_guard lock(m_state->mutex);
    return !m_state->doneTaken;
}

int ThumbnailRun::Count() const {
    return m_state ? int(m_state->results.size()) : 0;
}

}  // namespace framewise
