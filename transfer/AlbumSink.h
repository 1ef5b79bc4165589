// What the transfer workers need of the album above them: storing each picture read from the
// device as the next album file, rebuilding the album list, and the picture total.
#pragma once

#include <cstdint>

namespace framewise {

class AlbumSink {
  public:
    virtual ~AlbumSink() = default;

    // Number of items in the album list.
    virtual int AlbumCount() const = 0;
    // Whether the album list can take pictures (its image list exists).
    virtual bool CanStorePictures() const = 0;
    // Stores a decoded device picture as album file `number` ("%04d.bmp"): `rows` are the
    // 24-bit bottom-up rows as the decoder wrote them (stride: 3 × width rounded up to 4).
    // The file joins SourcePathList and the album list (incremental, appended). False when the
    // file could not be written: nothing of the picture is left in the album then.
    virtual bool StoreAlbumPicture(int number, const uint8_t* rows, int width, int height) = 0;
    // Rebuilds the album list from the album folder (no flags).
    virtual void RefreshAlbumList() = 0;
    // Writes the "Total Pictures" text for count pictures.
    virtual void UpdatePictureTotal(int count) = 0;
    // Scrolls album list item index into view.
    virtual void EnsureVisible(int index) = 0;
};

}  // namespace framewise
