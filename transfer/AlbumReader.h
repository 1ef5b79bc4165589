// The album read: the frame's index block and every picture, verified, decoded and handed to
// the album one by one; runs on the worker thread right after each attach.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "codec/JpegDecoder.h"
#include "transfer/AlbumSink.h"
#include "transfer/DeviceConnection.h"

namespace framewise {

class TransferWorker;

class AlbumReader {
  public:
    AlbumReader(DeviceConnection& connection, AlbumSink& sink, JpegDecoder& decoder);

    // What the window does on "DPFAttach": controls off, not ready, the read on the worker
    // thread. After a failed read (m_bReadStopped) it reads afresh, as RetryRead does. False when
    // the worker is busy or no frame is attached. prologue, when set, runs on the worker just
    // before the read (what the attach has the frame checked for first).
    bool StartRead(TransferWorker& worker, std::function<void()> prologue = {});
    // Asks a running read to stop after the picture in hand; it then ends as a failed one.
    void RequestStop() { m_stopRequested = true; }

    // The whole read. Ends with exactly one event: "FinishThread" when the album was read
    // whole (also an empty one) and the frame is still attached, which makes m_bAlbumRead
    // true; otherwise "TransferFailed" (kTransferRead): the read failed, was stopped or the
    // frame went away, m_bReadStopped is set and m_bReady set again so that the read can be
    // run once more with RetryRead.
    void ReadAlbum();
    // A new read after a failed one: forgets what the failed read put into the model and reads
    // again. The caller empties the album first, as at a device arrival.
    bool RetryRead();

    // Reads the index block (verified) into both images and parses it: the picture records,
    // total stored bytes, used end and free space; count is the number of pictures listed.
    // The first steps of ReadAlbum, for callers that want the album's size only.
    bool ReadIndexBlock(int& count);

    bool ReadPictures(int count, int& remaining);
    // Answers the picture's flash address, 0 on failure.
    int32_t ReadPicture(int k);

    int AlbumCount() const { return m_albumCount; }
    int NextAlbumNumber() const { return m_nextAlbumNumber; }

  private:
    bool CanRetry() const;
    void PrepareRetry();
    void ReadFailed();
    // The read's one end event, and the album-read flag with it.
    void EndRead(bool completed);

    DeviceConnection& m_connection;
    AlbumSink& m_sink;
    JpegDecoder& m_decoder;
    int m_albumCount = 0;
    int m_nextAlbumNumber = 0;
    int m_progressTotal = 0;
    std::atomic<bool> m_stopRequested{false};
};

}  // namespace framewise
