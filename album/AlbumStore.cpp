#include "album/AlbumStore.h"

#include <system_error>

#include "codec/BmpFile.h"
#include "config/TextTables.h"

namespace framewise {

namespace fs = std::filesystem;

AlbumStore::AlbumStore(const WorkPaths& paths, AlbumFolder& folder, AlbumListModel& list,
                       const AppState& state, Frontend& frontend, const Language& language,
                       TotalsProvider totals)
    : m_paths(paths),
      m_folder(folder),
      m_list(list),
      m_state(state),
      m_frontend(frontend),
      m_language(language),
      m_totals(std::move(totals)) {}

int AlbumStore::AlbumCount() const {
    return m_list.ItemCount();
}

bool AlbumStore::CanStorePictures() const {
    return m_list.HasImageList();
}

bool AlbumStore::StoreAlbumPicture(int number, const uint8_t* rows, int width, int height) {
    std::error_code ec;
    // A ForShow.bmp left from the previous picture must never be copied as this one.
    fs::remove(m_paths.forShow, ec);
    const bool written = rows && WriteBmp24(m_paths.forShow, width, height, rows, 0);

    const fs::path albumPath = m_folder.FilePath(number);
    const bool copied =
        written &&
        fs::copy_file(m_paths.forShow, albumPath, fs::copy_options::overwrite_existing, ec) && !ec;
    if (!copied) {
        // A file cut short (the disk is full) starts with "BM" like a whole one: left in the
        // folder, the next listing would count a picture that the album does not hold.
        fs::remove(albumPath, ec);
        if (!written) fs::remove(m_paths.forShow, ec);
        m_frontend.ShowMessage(FormatText("copy file %s failed!", albumPath.string()));
        return false;
    }
    m_folder.AppendSourcePath(albumPath.string());
    if (m_state.m_bAttached.load()) m_list.RefreshAlbumList(true, true, number);
    return true;
}

void AlbumStore::RefreshAlbumList() {
    m_list.RefreshAlbumList(false, false);
}

void AlbumStore::UpdatePictureTotal(int count) {
    const PictureTotalInputs in = m_totals ? m_totals() : PictureTotalInputs{0};
    const std::string label =
        m_language.Tr(kPictureTotalLabel.key, kPictureTotalLabel.englishDefault);
    m_frontend.SetPictureTotalText(PictureTotalText(label, count, in));
}

void AlbumStore::EnsureVisible(int index) {
    m_list.EnsureVisible(index);
}

void AlbumStore::ResetForArrival() {
    m_list.DestroyImageList();
    m_folder.Empty();
    m_list.DeleteAllItems();
}

}  // namespace framewise
