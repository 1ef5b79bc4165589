#include "picture/AddPicture.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "album/FrameSession.h"
#include "config/EventNames.h"
#include "config/Frontend.h"
#include "picture/AddMath.h"
#include "transfer/AlbumWritable.h"
#include "picture/AlbumPictureReader.h"
#include "picture/Bmp24.h"
#include "picture/DropRules.h"
#include "picture/PreviewCanvas.h"

namespace framewise {

namespace fs = std::filesystem;

namespace {

void RemoveFile(const fs::path& file) {
    std::error_code ec;
    fs::remove(file, ec);
}

}  // namespace

PictureAdder::PictureAdder(FrameSession& session, PreviewCanvas& canvas,
                           FolderSelection& folderList, Frontend& frontend)
    : m_session(session), m_canvas(canvas), m_folderList(folderList), m_frontend(frontend) {}

void PictureAdder::SetAddQueue(std::vector<std::string> paths) {
    std::lock_guard lock(m_queueMutex);
    m_addQueue = std::move(paths);
}

std::vector<std::string> PictureAdder::AddQueue() const {
    std::lock_guard lock(m_queueMutex);
    return m_addQueue;
}

void PictureAdder::SetJpgQuality(int quality) {
    m_nJpgQuality = std::clamp(quality, 10, 100);
}

void PictureAdder::TakeDeviceQuality() {
    // The value goes onto the slider, which holds 10..100: a header byte of 0 (or 255) must not
    // make every picture come out at quality 0.
    SetJpgQuality(m_session.Connection().Info().m_nJpgQuality);
}

void PictureAdder::EnableAdd(bool enable) {
    m_bAddEnabled = enable;
    if (m_enableAdd) m_enableAdd(enable);
}

void PictureAdder::ShowMemFull() {
    ++m_nMemFullShown;
    m_frontend.ShowMessage(m_session.GetLanguage().Tr(kMemFullKey, kMemFullText));
}

bool PictureAdder::Leave(bool inBatch) {
    m_nAddingNumber = 0;
    m_session.State().m_bAdding = false;
    if (!inBatch) EnableAdd(true);
    return false;
}

bool PictureAdder::CanChangeAlbum() const {
    // Until a read has completed for this connection the album may be only part of the
    // frame's; a picture added to it would be written back over the pictures not yet read.
    const AppState& state = m_session.State();
    return state.m_bReady && state.m_bAttached && state.m_bAlbumRead && !state.m_bBatchAdding;
}

bool PictureAdder::RefusedReadOnly() {
    const DeviceConnection& connection = m_session.Connection();
    if (!connection.IsConnected() || connection.AlbumWritable()) return false;
    // A frame whose album could never be written back: say so rather than add pictures that
    // would only be lost.
    m_frontend.ShowMessage(
        ReadOnlyAlbumText(m_session.GetLanguage(), connection.Info().indexAddress));
    return true;
}

bool PictureAdder::AcceptBatch(std::vector<std::string> paths) {
    if (!CanChangeAlbum() || RefusedReadOnly()) return false;
    EnableControls(false);
    SetAddQueue(std::move(paths));
    // Set here, on the window's thread, before "ReceivePic" is even posted: a second drop, an
    // Add or a Synchronize arriving before the worker has started must already see the batch.
    m_session.State().m_bBatchAdding = true;
    m_frontend.PostEvent(events::kReceivePic);
    return true;
}

bool PictureAdder::StartBatchFromSelection() {
    std::vector<std::string> queue;
    for (int i : m_folderList.SelectedIndices())
        queue.push_back(m_folderList.m_strFolderPrefix + m_folderList.items[size_t(i)]);
    if (!AcceptBatch(std::move(queue))) return false;
    m_folderList.SelectAll();
    return false;
}

bool PictureAdder::DropFiles(const std::vector<std::string>& items) {
    return AcceptBatch(QueueDroppedItems(items));
}

bool PictureAdder::AddPicture() {
    AppState& state = m_session.State();
    if (!m_canvas.PictureLoaded() || !state.m_bReady || !state.m_bAlbumRead ||
        m_canvas.Crop().m_rcCrop.bottom == 0 || state.m_bAdding)
        return false;
    const bool inBatch = state.m_bBatchAdding;
    if (m_folderList.SelectedCount() > 1 && !inBatch) return StartBatchFromSelection();
    if (!inBatch && RefusedReadOnly()) return false;

    state.m_bAdding = true;
    EnableAdd(false);
    m_nLastQuality = 0;
    m_nLastSize = 0;

    DeviceConnection& connection = m_session.Connection();
    if (!connection.IsConnected()) return Leave(inBatch);
    const DeviceInfo& info = connection.Info();
    FlashModel& model = connection.Model();
    AlbumListModel& list = m_session.List();
    AlbumFolder& folder = m_session.Folder();
    const Size lcd{info.lcdWidth, info.lcdHeight};

    const int count = list.ItemCount();
    if (count >= info.capacity) {
        // The room check refuses every picture past the capacity, so a batch is stopped here
        // as well: a batch that starts on a full album has no budget yet, and its encode would
        // end in "Can not add this picture!" instead of telling the user the album is full.
        ShowMemFull();
        return Leave(inBatch);
    } else if (auto budget = PerPictureBudget(info.flashSizeKB, model.TotalStoredBytes(),
                                              info.indexAddress, info.capacity, count)) {
        m_nBudget = *budget;
    }

    const int number = count + 1;
    const fs::path albumPath = folder.FilePath(number);
    m_nAddingNumber = number;
    if (!m_canvas.CheckColourDepth()) return Leave(inBatch);

    // The album file is written from the cut and read back as the encoder's input, so the
    // encoder sees exactly what a saved album picture holds.
    if (!WriteBmp24(albumPath, m_canvas.CutForAdd())) {
        // What a full disk let through would be listed as a picture the flash does not hold.
        RemoveFile(albumPath);
        m_frontend.ShowMessage(kCanNotAddText);
        return Leave(inBatch);
    }
    ReadAlbumPicture(folder.Path(), number, lcd, connection.FrameBuffer, m_session.GetLanguage(),
                     m_frontend);

    JpegEncoder& encoder = m_session.Encoder();
    const uint32_t layout = info.formatValue > 0 ? uint32_t(info.formatValue) - 1u : 0u;
    std::vector<uint8_t>& stream = connection.StreamBuffer;
    const BudgetedEncode result =
        EncodeWithinBudget(m_nJpgQuality, info.capacity, m_nBudget, [&](int quality) {
            encoder.jfifMode = false;
            encoder.setQuality(static_cast<uint16_t>(std::max(quality, 0)));
            size_t size = 0;
            if (!encoder.encode(connection.FrameBuffer.data(), stream.data(), lcd.width, lcd.height,
                                size, layout, stream.size()))
                return std::optional<size_t>();
            return std::optional<size_t>(size);
        });
    if (!result.accepted) {
        m_frontend.ShowMessage(result.message.empty() ? kCanNotAddText : result.message);
        RemoveFile(albumPath);
        return Leave(inBatch);
    }

    const fs::path& tmp = m_session.Paths().jpgTmp;
    bool written = false;
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (out) {
            out.write(reinterpret_cast<const char*>(stream.data()),
                      static_cast<std::streamsize>(result.size));
            written = bool(out.flush());
        }
    }
    // A stream that cannot be stored or read back would put a picture on the frame that the
    // album does not show: the Add is refused instead.
    if (!written || !m_session.Decoder().decodeToBitmap(tmp, albumPath, lcd.width, lcd.height)) {
        m_frontend.ShowMessage(kCanNotAddText);
        RemoveFile(albumPath);
        RemoveFile(tmp);
        return Leave(inBatch);
    }

    if (!CheckRoom()) {
        RemoveFile(albumPath);
        RemoveFile(tmp);
        return Leave(inBatch);
    }
    model.CaptureNextAddress();
    m_nAddingNumber = number;
    if (!model.AppendPicture(count, tmp)) {
        RemoveFile(albumPath);
        m_frontend.ShowMessage(kCanNotAddText);
        return Leave(inBatch);
    }
    // Only now is the picture in the album: entry k of SourcePathList belongs to album file
    // k + 1, so an entry for a picture that never arrived would shift every later one.
    if (!inBatch) folder.AppendSourcePath(albumPath.string());

    list.RefreshAlbumList(true, true, number);
    m_nAddingNumber = 0;
    if (inBatch) ++m_nBatchCount;
    m_session.Store().UpdatePictureTotal(number);
    state.m_bModified = true;
    list.SetFocus(true);
    list.EnsureVisible(list.ItemCount() - 1);
    list.SetFocus(false);  // the folder tree takes the focus back
    m_nLastQuality = result.quality;
    m_nLastSize = result.size;

    if (!inBatch && m_bAdvance && m_folderList.SelectedCount() == 1)
        m_folderList.AdvanceSelection();

    state.m_bAdding = false;
    if (!inBatch) EnableAdd(true);
    return true;
}

bool PictureAdder::AddByDoubleClick(Point p) {
    if (!m_canvas.IsAddDoubleClick(p)) return false;
    m_bAdvance = false;
    const bool added = AddPicture();
    m_bAdvance = true;
    return added;
}

bool PictureAdder::CheckRoom() {
    std::error_code ec;
    const fs::path& tmp = m_session.Paths().jpgTmp;
    const auto length = fs::file_size(tmp, ec);
    if (ec || !fs::is_regular_file(tmp, ec)) return false;
    FlashModel& model = m_session.Connection().Model();
    if (length < 0x7FFFFFFF &&
        model.FitsNewPicture(static_cast<int>(length), m_session.List().ItemCount()))
        return true;
    AppState& state = m_session.State();
    if (state.m_bAdding) {
        ShowMemFull();
        state.m_bAdding = false;
    }
    EnableAdd(true);
    return false;
}

}  // namespace framewise
