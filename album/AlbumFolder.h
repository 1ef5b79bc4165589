// The album folder of numbered bitmap files ("0001.bmp", ...): its naming, enumeration,
// renumbering and swapping, with AlbumNames and SourcePathList kept beside it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace framewise {

class AlbumFolder {
  public:
    AlbumFolder() = default;
    explicit AlbumFolder(std::filesystem::path folder) : m_folder(std::move(folder)) {}
    AlbumFolder(const AlbumFolder&) = delete;
    AlbumFolder& operator=(const AlbumFolder&) = delete;

    void SetPath(std::filesystem::path folder);
    std::filesystem::path Path() const;

    // "%04d.bmp" of an album number (numbers start at 1).
    static std::string FileName(int number);
    // The number of an album file name: the text before the first "." as a decimal integer,
    // 0 when there is none.
    static int NumberOf(const std::string& name);
    // folder/"%04d.bmp" and folder/name.
    std::filesystem::path FilePath(int number) const;
    std::filesystem::path PathOf(const std::string& name) const;
    // Whether path names a file directly inside the album folder.
    bool IsAlbumFilePath(const std::filesystem::path& path) const;

    // Replaces AlbumNames by the ordinally sorted names of the album pictures in the folder:
    // regular "*.bmp" files, not hidden (dot files), that start with "BM". Answers false and
    // leaves AlbumNames as they were when the folder cannot be searched or holds none.
    bool EnumerateAlbumFolder();

    // After files were deleted: renames the remaining files so that their numbers run from 1
    // without gaps, in their old order. The range searched is taken from the first and the
    // last entry of AlbumNames (the names the album list showed before the delete).
    // SourcePathList entries that named album files follow their files.
    void CompactAlbumNumbers();

    // Exchanges the contents of two album files by renaming through a "_tmp" name. A failed
    // step undoes the steps before it; nothing named "_tmp" is left behind. False on failure.
    static bool SwapAlbumPictures(const std::filesystem::path& a, const std::filesystem::path& b);

    // Deletes every "*.bmp" file of the folder and empties AlbumNames and SourcePathList.
    void Empty();

    // AlbumNames: the album pictures' file names in album order.
    std::vector<std::string> AlbumNames() const;
    size_t AlbumNameCount() const;
    void SetAlbumNames(std::vector<std::string> names);
    void AppendAlbumName(std::string name);
    void ClearAlbumNames();

    // SourcePathList: per album picture (index = number - 1) the picture it was made from.
    std::vector<std::string> SourcePathList() const;
    size_t SourcePathCount() const;
    std::optional<std::string> SourcePath(size_t index) const;
    void AppendSourcePath(std::string path);
    bool SetSourcePath(size_t index, std::string path);
    bool RemoveSourcePath(size_t index);
    bool SwapSourcePaths(size_t a, size_t b);
    void ClearSourcePaths();

  private:
    mutable std::mutex m_mutex;
    std::filesystem::path m_folder;
    std::vector<std::string> m_albumNames;
    std::vector<std::string> m_sourcePaths;
};

}  // namespace framewise
