#include "picture/Workbench.h"

#include "album/FrameSession.h"

namespace framewise {

Workbench::Workbench(FrameSession& session, Frontend& frontend)
    : m_session(session),
      m_canvas(session.Paths(), session.GetLanguage(), frontend, session.State()),
      m_adder(session, m_canvas, m_folderList, frontend),
      m_batch(m_adder, m_canvas) {
    m_canvas.SetRebuiltHandler([this] {
        if (m_onRebuilt) m_onRebuilt();
        if (m_session.State().m_bBatchAdding) m_adder.AddPicture();
    });
}

void Workbench::Attached() {
    const DeviceInfo info = m_session.Connection().Info();
    m_canvas.SetLcdSize({info.lcdWidth, info.lcdHeight});
    m_canvas.SetDpfDecoder([this, info](const std::filesystem::path& stream,
                                        const std::filesystem::path& bitmap) {
        return m_session.Decoder().decodeToBitmap(stream, bitmap, info.lcdWidth, info.lcdHeight);
    });
    m_adder.TakeDeviceQuality();
}

void Workbench::SetFitMode(FitMode mode) {
    CropZoom& crop = m_canvas.Crop();
    if (mode == FitMode::Crop) {
        // As a folder picture comes up: the frame on, centred.
        crop.m_bCropNext = false;
        return;
    }
    // As after Clear: the frame off, resting at its centred place over the picture shown at
    // the LCD size, so that the cut takes the whole picture.
    const Size lcd = m_canvas.Lcd();
    crop.m_rcCropHome = CentredCropFrame(m_canvas.PreviewBox(), lcd, lcd);
    crop.m_rcCrop = crop.m_rcCropHome;
    crop.m_bCropOn = false;
    crop.m_bCropNext = true;
}

int Workbench::AddAll(const std::vector<std::string>& paths) {
    if (!m_adder.AcceptBatch(paths)) return 0;
    m_batch.RunSynchronously();
    m_batch.Finish();
    return m_batch.Added();
}

}  // namespace framewise
