// The album as the transfer workers see it: each picture read from the device becomes the next
// numbered album file and list item, and the picture total is written through the Frontend.
#pragma once

#include <functional>

#include "album/AlbumFolder.h"
#include "album/AlbumListModel.h"
#include "album/PictureTotal.h"
#include "config/AppState.h"
#include "config/Frontend.h"
#include "config/Language.h"
#include "config/WorkPaths.h"
#include "transfer/AlbumSink.h"

namespace framewise {

class AlbumStore : public AlbumSink {
  public:
    // Where the numbers of the picture total come from (device information, flash model).
    using TotalsProvider = std::function<PictureTotalInputs()>;

    AlbumStore(const WorkPaths& paths, AlbumFolder& folder, AlbumListModel& list,
               const AppState& state, Frontend& frontend, const Language& language,
               TotalsProvider totals);

    int AlbumCount() const override;
    bool CanStorePictures() const override;
    // Writes ForShow.bmp (album header, resolution 0, the rows), copies it to the album file
    // of `number`, records the file in SourcePathList and, while attached, appends it to the
    // album list. A failed write or copy shows "copy file %s failed!" with the album path,
    // removes what it left (a file cut short by a full disk) and answers false.
    bool StoreAlbumPicture(int number, const uint8_t* rows, int width, int height) override;
    void RefreshAlbumList() override;
    void UpdatePictureTotal(int count) override;
    void EnsureVisible(int index) override;

    // The album's part of a device arrival: the image list goes, AlbumNames, the folder's
    // "*.bmp" files, the list items and SourcePathList are emptied.
    void ResetForArrival();

  private:
    const WorkPaths& m_paths;
    AlbumFolder& m_folder;
    AlbumListModel& m_list;
    const AppState& m_state;
    Frontend& m_frontend;
    const Language& m_language;
    TotalsProvider m_totals;
};

}  // namespace framewise
