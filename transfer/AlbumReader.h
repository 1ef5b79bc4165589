// The album read: the frame's index block and every picture, verified, decoded and handed to
// the album one by one; runs on the worker thread right after each attach.
#pragma once

#include <cstdint>

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
    // the worker is busy or no frame is attached.
    bool StartRead(TransferWorker& worker);

    // The whole read. Ends with "FinishThread" (pictures read), the empty-album path (controls
    // enabled, no event) or a failure (m_bReadStopped set, m_bReady set again so that the
    // read can be run once more with RetryRead).
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

    DeviceConnection& m_connection;
    AlbumSink& m_sink;
    JpegDecoder& m_decoder;
    int m_albumCount = 0;
    int m_nextAlbumNumber = 0;
    int m_progressTotal = 0;
};

}  // namespace framewise
