#include "transfer/SyncJournal.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "transfer/DurableFile.h"
#include "transfer/FlashBackup.h"

namespace framewise {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFirstLine = "framewise unfinished write 1";

}  // namespace

uint64_t BlockHash(const uint8_t* data, size_t length) {
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i < length; ++i) {
        hash ^= data[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

fs::path SyncJournalPath(const fs::path& root, const DeviceInfo& info) {
    return root / FrameId(info) / "unfinished-write.journal";
}

bool WriteSyncJournal(const fs::path& root, const DeviceInfo& info, const SyncJournal& journal,
                      std::string& error) {
    const fs::path file = SyncJournalPath(root, info);
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec) {
        error = "cannot create " + file.parent_path().string();
        return false;
    }
    // A backup in the frame's own folder is named by its file name, so that the folder can be
    // moved as a whole; any other file by its full path.
    std::string backup;
    if (!journal.backup.empty()) {
        const fs::path absolute = fs::absolute(journal.backup, ec);
        backup = !ec && absolute.parent_path() == fs::absolute(file.parent_path(), ec)
                     ? absolute.filename().string()
                     : absolute.string();
    }
    std::string text = std::string(kFirstLine) + "\nkind=" +
                       (journal.kind == JournalKind::Restore ? "restore" : "synchronize") +
                       "\nbackup=" + backup + "\n";
    if (journal.writtenIndex) {
        char hash[32];
        std::snprintf(hash, sizeof hash, "written-index=%016llx\n",
                      static_cast<unsigned long long>(*journal.writtenIndex));
        text += hash;
    }
    return WriteFileDurably(file, reinterpret_cast<const uint8_t*>(text.data()), text.size(),
                            error);
}

std::optional<SyncJournal> ReadSyncJournal(const fs::path& root, const DeviceInfo& info) {
    const fs::path file = SyncJournalPath(root, info);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(file, ec))) return std::nullopt;
    SyncJournal journal;
    std::ifstream in(file);
    std::string line;
    if (!std::getline(in, line) || line != kFirstLine) return journal;
    while (std::getline(in, line)) {
        if (line == "kind=restore") journal.kind = JournalKind::Restore;
        if (line.rfind("written-index=", 0) == 0 && line.size() == 14 + 16) {
            char* end = nullptr;
            const unsigned long long hash = std::strtoull(line.c_str() + 14, &end, 16);
            if (end && *end == '\0') journal.writtenIndex = hash;
        }
        if (line.rfind("backup=", 0) != 0 || line.size() == 7) continue;
        const fs::path named = line.substr(7);
        // A bare name lies in the frame's folder; anything else must be a full path.
        if (named.is_absolute())
            journal.backup = named;
        else if (!named.has_parent_path() && named.filename() != ".." && named.filename() != ".")
            journal.backup = file.parent_path() / named;
    }
    return journal;
}

bool RemoveSyncJournal(const fs::path& root, const DeviceInfo& info) {
    const fs::path file = SyncJournalPath(root, info);
    std::error_code ec;
    fs::remove(file, ec);
    if (ec) return false;
    SyncFolder(file.parent_path());
    return true;
}

}  // namespace framewise
