// The per-user private work root and the folders and work files under it: the album folder,
// the thumbnail folder, the temporary stream and bitmap, the preview's work files.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace framewise {

struct WorkPaths {
    std::filesystem::path root;         // private, 0700, owned by the user
    std::filesystem::path albumFolder;  // root/PicsInMiniDPF
    std::filesystem::path thumbFolder;  // root/SourceFile
    std::filesystem::path jpgTmp;       // root/JPGTmp.jpg: one device picture stream in transit
    std::filesystem::path bmpTmp;       // root/BMPTmp.bmp: a decoded picture
    std::filesystem::path forCut;       // root/ForCut.bmp: the preview's frame image
    std::filesystem::path forShow;      // root/ForShow.bmp: a decoded .dpf file, a read picture
    std::filesystem::path forShowBmp;   // root/ForShowBMP.bmp: the rotated working picture
    std::filesystem::path startInfo;    // root/StartInfoUnicode.ini: the working start-up file
    std::filesystem::path language;     // root/LanguageUnicode.ini: the working language file

    // The paths under a root (nothing is created).
    static WorkPaths Under(const std::filesystem::path& root);

    // Makes the work root ready: the given folder, else $FRAMEWISE_WORK_ROOT, else a folder
    // named after the user under the temp location ($TMPDIR or /tmp). The folder is created
    // with mode 0700; an existing one is refused when it is a symbolic link, is not a folder
    // or belongs to someone else, and its mode is narrowed to 0700. Creates the album and
    // thumbnail folders. nullopt with a one-line reason in error when refused.
    static std::optional<WorkPaths> Prepare(const std::optional<std::filesystem::path>& override,
                                            std::string& error);

    // Deletes every "*.bmp" file of the album folder.
    void EmptyAlbumFolder() const;
    // Deletes every file of the thumbnail folder.
    void EmptyThumbFolder() const;
    // Deletes the temporary stream and bitmap.
    void DeleteTempFiles() const;
    // Deletes the preview's three work files.
    void DeleteCanvasFiles() const;
};

// The folder holding the shipped StartInfoUnicode.ini and LanguageUnicode.ini: beside the
// program (a build tree) when they are there, else the installed data folder.
std::filesystem::path FindDataFolder();

// FindDataFolder for a program in exeFolder: exeFolder itself when it holds the start-up
// file, else exeFolder/../share/framewise when that does (an installation under any prefix,
// moved or not), else fallback (the data folder of the configured prefix).
std::filesystem::path FindDataFolderFor(const std::filesystem::path& exeFolder,
                                        const std::filesystem::path& fallback);

}  // namespace framewise
