#include "transfer/AlbumReader.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "codec/BmpFile.h"
#include "config/EventNames.h"
#include "transfer/TransferWorker.h"

namespace framewise {

using namespace flash;

AlbumReader::AlbumReader(DeviceConnection& connection, AlbumSink& sink, JpegDecoder& decoder)
    : m_connection(connection), m_sink(sink), m_decoder(decoder) {}

void AlbumReader::ReadFailed() {
    AppState& state = m_connection.Context().state;
    state.m_bReading = false;
    state.m_bReadStopped = true;
    state.m_bAlbumRead = false;
    // The window must not stay disabled for good: ready again, so that the read can be run
    // once more. The command controls stay off until a read completes, so that an album read
    // only in part can never be written back over the frame's.
    state.m_bReady = true;
    m_nextAlbumNumber = 0;
    m_connection.Context().ResetProgress();
}

void AlbumReader::EndRead(bool completed) {
    TransferContext& ctx = m_connection.Context();
    AppState& state = ctx.state;
    // A read that ended with the frame gone is no read of the current connection.
    if (completed && state.m_bAttached) {
        state.m_bAlbumRead = true;
        ctx.frontend.PostEvent(events::kFinishThread, 0);
        return;
    }
    if (completed) ReadFailed();
    ctx.frontend.PostEvent(events::kTransferFailed, events::kTransferRead);
}

bool AlbumReader::CanRetry() const {
    const AppState& state = m_connection.Context().state;
    return state.m_bReady && state.m_bReadStopped && m_connection.IsConnected();
}

void AlbumReader::PrepareRetry() {
    AppState& state = m_connection.Context().state;
    FlashModel& model = m_connection.Model();
    std::fill(model.DeviceImage().begin(), model.DeviceImage().end(), 0);
    std::fill(model.PictureStore().begin(), model.PictureStore().end(), 0);
    model.ResetTable();
    model.SetTotalStoredBytes(0);
    state.m_bReadStopped = false;
    state.m_bAlbumRead = false;
    state.m_bReady = false;
    state.m_bReading = true;
}

bool AlbumReader::StartRead(TransferWorker& worker, std::function<void()> prologue) {
    TransferContext& ctx = m_connection.Context();
    if (!m_connection.IsConnected() || worker.Running()) return false;
    if (ctx.state.m_bReadStopped) {
        if (!CanRetry()) return false;
        PrepareRetry();
    }
    ctx.EnableControls(false);
    ctx.state.m_bReady = false;
    ctx.state.m_bAlbumRead = false;
    m_stopRequested = false;
    auto job = [this, prologue = std::move(prologue)] {
        if (prologue) prologue();
        ReadAlbum();
    };
    if (worker.Start(std::move(job))) return true;
    ctx.state.m_bReady = true;
    return false;
}

bool AlbumReader::RetryRead() {
    if (!CanRetry()) return false;
    PrepareRetry();
    ReadAlbum();
    return !m_connection.Context().state.m_bReadStopped;
}

bool AlbumReader::ReadIndexBlock(int& count) {
    FlashModel& model = m_connection.Model();
    if (!model.IsAllocated()) return false;
    const int ia = model.IndexAddress();
    if (!m_connection.ReadChecked(model.DeviceImage().data() + ia, kIndexBlockSize,
                                  static_cast<uint32_t>(ia)))
        return false;
    std::memcpy(model.PictureStore().data() + ia, model.DeviceImage().data() + ia, kIndexBlockSize);
    model.LoadIndex();
    model.SetTotalStoredBytes(0);
    count = model.ParseIndex();
    return true;
}

void AlbumReader::ReadAlbum() {
    TransferContext& ctx = m_connection.Context();
    AppState& state = ctx.state;
    FlashModel& model = m_connection.Model();
    const DeviceInfo& info = m_connection.Info();

    if (!ReadIndexBlock(m_albumCount)) {
        ReadFailed();
        ctx.frontend.ShowMessage("ReadDataFromFlash failed!");
        EndRead(false);
        return;
    }

    ctx.settings.WriteInt("info", "UserPic", m_albumCount);
    m_sink.UpdatePictureTotal(m_albumCount);

    if (m_albumCount < 1 || m_albumCount > info.capacity) {
        model.ClearStoreIndexEntries(0);
        model.ClearDeviceImageIndexEntries();
        model.ClearIndexCopyEntries(0);
        model.ResetTable();
        model.SetTotalStoredBytes(0);
        m_albumCount = 0;
        m_sink.UpdatePictureTotal(0);
        ctx.EnableFolderTree();
        ctx.frontend.SetStatusText(ctx.language.Tr("NOPICS_TIPS", "No photos in device!"));
        state.m_bReading = false;
        state.m_bReady = true;
        ctx.EnableControls(true);
        ctx.ResetProgress();
        // The window has one end to act on, an empty album included.
        EndRead(true);
        return;
    }

    m_connection.ShowTransferWarning();
    m_progressTotal = m_albumCount;
    m_nextAlbumNumber = 1;
    model.CompactRecords(m_albumCount);

    int remaining = m_albumCount;
    if (!ReadPictures(m_albumCount, remaining)) {
        ReadFailed();
        EndRead(false);
        return;
    }
    if (remaining != m_albumCount) {
        state.m_bReading = false;
        model.CompactRecords(m_albumCount);
        state.m_bReading = true;
    }
    m_sink.UpdatePictureTotal(remaining);
    if (remaining > 0) m_sink.EnsureVisible(remaining - 1);

    m_nextAlbumNumber = 0;
    ctx.ResetProgress();
    state.m_bReading = false;
    state.m_bReady = true;
    EndRead(true);
}

bool AlbumReader::ReadPictures(int count, int& remaining) {
    TransferContext& ctx = m_connection.Context();
    AppState& state = ctx.state;
    FlashModel& model = m_connection.Model();
    const DeviceInfo& info = m_connection.Info();
    bool destroyedShown = false;

    for (int k = 1; k <= count; ++k) {
        if (m_stopRequested) return false;
        ctx.frontend.SetStatusText(std::to_string(k) + " / " + std::to_string(count));
        if (!state.m_bAttached) return false;
        const int32_t address = ReadPicture(k);
        if (!state.m_bAttached || address == 0) return false;

        // A fresh file rather than a truncated one: on file systems that flush a file replaced
        // by truncation at its close (ext4), truncating would wait for the disk each picture.
        std::error_code ec;
        std::filesystem::remove(ctx.paths.bmpTmp, ec);
        if (!m_decoder.decodeToBitmap(ctx.paths.jpgTmp, ctx.paths.bmpTmp, info.lcdWidth,
                                      info.lcdHeight)) {
            if (!destroyedShown) {
                ctx.frontend.ShowMessage(
                    ctx.language.Tr("PICDESTROY_TIPS", "The picture is destroyed!"));
                destroyedShown = true;
            }
            model.IndexCopy()[kIndexHeadSize + kIndexEntrySize * (k - 1)] = 0;
            PictureRecord& record = model.Record(k - 1);
            record.inUse = 0;
            model.SetTotalStoredBytes(std::max(0, model.TotalStoredBytes() - record.length));
            --remaining;
            continue;
        }

        std::ifstream bmp(ctx.paths.bmpTmp, std::ios::binary | std::ios::ate);
        if (!bmp) return false;
        const std::streamoff fileLength = bmp.tellg();
        // A decoded picture the disk could not take in full (a full disk) is no destroyed
        // picture: the read fails rather than drop a good picture from the album.
        const std::streamoff expected =
            std::streamoff{BmpRowStride(info.lcdWidth)} * std::streamoff{info.lcdHeight};
        if (fileLength - 54 < expected) return false;
        const std::streamoff pixels =
            std::min<std::streamoff>(fileLength - 54,
                                     static_cast<std::streamoff>(m_connection.FrameBuffer.size()));
        bmp.seekg(54);
        bmp.read(reinterpret_cast<char*>(m_connection.FrameBuffer.data()), pixels);

        if (state.m_bAttached && m_sink.CanStorePictures()) {
            // A picture the album cannot keep (a full disk) ends the read: an album with a
            // picture missing must never be taken for the frame's.
            if (!m_sink.StoreAlbumPicture(m_nextAlbumNumber, m_connection.FrameBuffer.data(),
                                          info.lcdWidth, info.lcdHeight))
                return false;
            ctx.frontend.SetProgressPos(m_nextAlbumNumber * 100 / m_progressTotal);
            ++m_nextAlbumNumber;
        } else {
            return false;
        }
    }
    if (ctx.ProgressCtrlOff()) ctx.frontend.ShowProgress(false);
    ctx.frontend.SetStatusText(ctx.language.Tr("READFINISH_TIPS", "Reading Finished!"));
    return true;
}

int32_t AlbumReader::ReadPicture(int k) {
    TransferContext& ctx = m_connection.Context();
    FlashModel& model = m_connection.Model();
    const PictureRecord& record = model.Record(k - 1);
    const int32_t address = record.address;
    const int32_t length = record.length;
    if (!model.InPictureArea(address, length)) return 0;
    uint8_t* image = model.DeviceImage().data() + address;
    if (!m_connection.ReadChecked(image, static_cast<uint32_t>(length),
                                  static_cast<uint32_t>(address)))
        return 0;
    std::memcpy(model.PictureStore().data() + address, image, static_cast<size_t>(length));
    auto& stream = m_connection.StreamBuffer;
    std::memcpy(stream.data(), image, std::min(stream.size(), static_cast<size_t>(length)));
    // A picture that cannot be handed on through the temporary file would otherwise be taken
    // for a destroyed one and dropped from the frame at the next synchronize.
    std::error_code ec;
    std::filesystem::remove(ctx.paths.jpgTmp, ec);  // fresh, not truncated (see ReadPictures)
    std::ofstream out(ctx.paths.jpgTmp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image), length);
    out.close();
    if (!out) return 0;
    return address;
}

}  // namespace framewise
