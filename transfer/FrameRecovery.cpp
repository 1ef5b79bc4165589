#include "transfer/FrameRecovery.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <vector>

#include "transfer/DeviceConnection.h"
#include "transfer/FlashLayout.h"

namespace framewise {

namespace fs = std::filesystem;
using namespace flash;

namespace {

// Unreadable means read back over and over with sums that never match; a frame whose reads
// fail outright is not answering, and the album read says so.
constexpr int kIndexReadAttempts = 3;

// The pictures the album of a backup file lists; -1 when its index cannot be read.
int BackupPictureCount(const fs::path& file, const DeviceInfo& info) {
    std::vector<uint8_t> block(kIndexBlockSize, 0);
    std::ifstream in(file, std::ios::binary);
    in.seekg(info.indexAddress);
    in.read(reinterpret_cast<char*>(block.data()), kIndexBlockSize);
    if (!in) return -1;
    return static_cast<int>(ListedPictures(block.data(), info).size());
}

std::string LocalTime(const fs::path& file) {
    std::error_code ec;
    const auto written = fs::last_write_time(file, ec);
    if (ec) return "?";
    const std::time_t t =
        std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

}  // namespace

FrameRecovery::FrameRecovery(DeviceConnection& connection, fs::path backupRoot)
    : m_connection(connection), m_root(std::move(backupRoot)) {}

std::optional<RecoveryOffer> FrameRecovery::Find() {
    if (!m_connection.IsConnected()) return std::nullopt;
    const DeviceInfo& info = m_connection.Info();
    const auto backups = ListFlashBackups(m_root, info);
    RecoveryOffer offer;
    auto journal = ReadSyncJournal(m_root, info);
    // A write that got as far as its last block, or never touched the album, left the frame
    // whole: nothing to offer for it.
    if (journal && WriteLeftFrameWhole(*journal)) {
        RemoveSyncJournal(m_root, info);
        journal.reset();
    }
    if (journal) {
        offer.reason = journal->kind == JournalKind::Restore
                           ? RecoveryOffer::Reason::UnfinishedRestore
                           : RecoveryOffer::Reason::UnfinishedSynchronize;
        std::error_code ec;
        if (!journal->backup.empty() && fs::is_regular_file(journal->backup, ec)) {
            offer.backup = journal->backup;
            offer.named = true;
        } else if (!backups.empty()) {
            offer.backup = backups.back();
        }
        return offer;
    }
    // A backup whose album holds no picture puts nothing back: a new frame of a model seen
    // before (the same header) is no reason to offer one.
    const auto newest = std::find_if(backups.rbegin(), backups.rend(), [&](const fs::path& b) {
        return BackupPictureCount(b, info) > 0;
    });
    if (newest == backups.rend()) return std::nullopt;
    offer.backup = *newest;
    std::vector<uint8_t> block(kIndexBlockSize);
    const uint32_t ia = static_cast<uint32_t>(info.indexAddress);
    bool mismatched = false;
    for (int attempt = 0; attempt < kIndexReadAttempts; ++attempt) {
        switch (m_connection.ReadVerified(block.data(), kIndexBlockSize, ia)) {
            case DeviceConnection::ReadOutcome::Read:
                if (std::memcmp(block.data(), kMagic, 4) == 0) return std::nullopt;
                offer.reason = RecoveryOffer::Reason::IndexUnmarked;
                return offer;
            case DeviceConnection::ReadOutcome::Mismatched:
                mismatched = true;
                break;
            case DeviceConnection::ReadOutcome::NoTransfer:
                break;
        }
    }
    if (!mismatched) return std::nullopt;
    offer.reason = RecoveryOffer::Reason::IndexUnreadable;
    return offer;
}

bool FrameRecovery::WriteLeftFrameWhole(const SyncJournal& journal) {
    const DeviceInfo& info = m_connection.Info();
    const uint32_t ia = static_cast<uint32_t>(info.indexAddress);
    const uint32_t length = std::min(kBlockSize, info.FlashBytes() - ia);
    std::vector<uint8_t> block(length);
    if (journal.writtenIndex &&
        m_connection.ReadVerified(block.data(), length, ia) ==
            DeviceConnection::ReadOutcome::Read &&
        BlockHash(block.data(), length) == *journal.writtenIndex)
        return true;
    std::error_code ec;
    return !journal.backup.empty() && fs::is_regular_file(journal.backup, ec) &&
           FrameHoldsAlbumOf(m_connection, journal.backup);
}

std::string FrameRecovery::BackupDescription(const fs::path& backup) const {
    const int pictures = BackupPictureCount(backup, m_connection.Info());
    const std::string count = pictures < 0 ? "?" : std::to_string(pictures);
    return m_connection.Context().language.Pick(LocalTime(backup) + ", " + count + " pictures",
                                                LocalTime(backup) + ", " + count + " 张图片");
}

std::string FrameRecovery::OfferText(const RecoveryOffer& offer) const {
    const Language& lang = m_connection.Context().language;
    using Reason = RecoveryOffer::Reason;
    if (offer.backup.empty())
        return lang.Pick(
            "The last write to this frame did not finish, and no backup of the frame is at hand: "
            "the frame may hold only part of its album now.",
            "上次写入此相框没有完成, 且没有此相框的备份: 相框中的相册现在可能不完整。");
    const std::string desc = BackupDescription(offer.backup);
    // Frames of one model share their header, by which backups are known: the backup may be
    // another frame's.
    if (offer.reason == Reason::IndexUnreadable)
        return lang.Pick(
            "The album index of this frame cannot be read. The newest backup of a "
            "frame like this one (" +
                desc + ") can be put back. Restore it now?",
            "无法读取此相框的相册索引。可以恢复与此相框相同的相框最新的备份 (" + desc +
                ")。现在恢复吗?");
    if (offer.reason == Reason::IndexUnmarked)
        return lang.Pick(
            "This frame holds no album index (it may be new, or have been erased). "
            "The newest backup of a frame like this one (" +
                desc + ") can be put back. Restore it now?",
            "此相框中没有相册索引 (可能是新相框, 或已被擦除)。可以恢复与此相框相同的相框最新的备份 "
            "(" +
                desc + ")。现在恢复吗?");
    if (!offer.named)
        return lang.Pick(
            "The last write to this frame did not finish: the frame may hold only "
            "part of its album now. The newest backup of the frame is from " +
                desc + ". Restore it now?",
            "上次写入此相框没有完成: 相框中的相册现在可能不完整。此相框最新的备份是 " + desc +
                "。现在恢复吗?");
    if (offer.reason == Reason::UnfinishedRestore)
        return lang.Pick(
            "The last restore of a backup into this frame did not finish: the frame "
            "may hold only part of its album now. Restore that backup (" +
                desc + ") again now?",
            "上次把备份恢复到此相框时没有完成: 相框中的相册现在可能不完整。现在重新恢复该备份 (" +
                desc + ") 吗?");
    return lang.Pick(
        "The last synchronize of this frame did not finish: the frame may hold only "
        "part of its album now. The backup taken just before it (" +
            desc + ") puts the album back as it was. Restore it now?",
        "此相框上次的同步没有完成: 相框中的相册现在可能不完整。同步前所做的备份 (" + desc +
            ") 可以把相册恢复原样。现在恢复吗?");
}

RecoveryOutcome FrameRecovery::OfferAtAttach() {
    m_lastOffer = Find();
    if (!m_lastOffer) return RecoveryOutcome::None;
    TransferContext& ctx = m_connection.Context();
    if (m_lastOffer->backup.empty()) {
        ctx.frontend.ShowMessage(OfferText(*m_lastOffer));
        return RecoveryOutcome::Told;
    }
    if (!ctx.frontend.AskYesNo(OfferText(*m_lastOffer))) return RecoveryOutcome::Declined;
    std::string error;
    if (!Restore(m_lastOffer->backup, error)) {
        ctx.frontend.ShowMessage(ctx.language.Pick(
            "The backup could not be put back into the frame (" + error +
                "). It will be offered again when the frame is connected next time.",
            "无法把备份恢复到相框 (" + error + ")。下次连接相框时会再次提供恢复。"));
        return RecoveryOutcome::Failed;
    }
    ctx.frontend.SetStatusText(
        ctx.language.Pick("The backup has been put back into the frame.", "备份已恢复到相框。"));
    return RecoveryOutcome::Restored;
}

bool FrameRecovery::Restore(const fs::path& file, std::string& error, RestoreResult* result) {
    const DeviceInfo& info = m_connection.Info();
    const BeforeFirstWrite journalFirst = [&](std::string&) {
        // While this restore writes, the way back is the file it writes. A journal that cannot
        // be written does not stand in the way of putting the album back.
        std::string ignored;
        WriteSyncJournal(m_root, info, SyncJournal{JournalKind::Restore, file, std::nullopt},
                         ignored);
        return true;
    };
    if (!RestoreFlash(m_connection, file, error, result, journalFirst)) return false;
    RemoveSyncJournal(m_root, info);
    return true;
}

}  // namespace framewise
