#include "app/PlanTooltips.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTimeZone>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "album/FrameSession.h"
#include "config/Language.h"
#include "transfer/FlashBackup.h"
#include "transfer/FlashBudget.h"
#include "transfer/FlashLayout.h"
#include "transfer/WritePlan.h"

namespace framewise {

namespace {

QString Tr(const Language& language, const char* key, const char* english) {
    return QString::fromStdString(language.Tr(key, english));
}

// The pictures a backup file's index block lists (read alone, not the whole flash image).
int BackupPictures(const std::filesystem::path& file, const DeviceInfo& info) {
    std::vector<uint8_t> index(flash::kIndexBlockSize, 0);
    std::ifstream in(file, std::ios::binary);
    in.seekg(info.indexAddress);
    in.read(reinterpret_cast<char*>(index.data()), static_cast<std::streamsize>(index.size()));
    if (!in) return 0;
    return static_cast<int>(ListedPictures(index.data(), info).size());
}

// Backups are named by the UTC time they were taken: "20260501-120307-123-00.img".
QString BackupTime(const std::filesystem::path& file) {
    const QString name = QString::fromStdString(file.stem().string()).left(15);
    QDateTime when = QDateTime::fromString(name, QStringLiteral("yyyyMMdd-HHmmss"));
    if (when.isValid()) {
        when.setTimeZone(QTimeZone::utc());
    } else {
        when = QFileInfo(QString::fromStdString(file.string())).lastModified();
    }
    return when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

}  // namespace

QString PlanLine(const Language& language, const WritePlan& plan) {
    const long seconds = std::max(1L, std::lround(plan.seconds));
    const qlonglong blocks = plan.BlocksWritten();
    const qlonglong moved = static_cast<qlonglong>(plan.moved.size());
    const QString blocksText = blocks == 1
                                   ? Tr(language, "SYNCPLAN_ONE_BLOCK", "1 block")
                                   : Tr(language, "SYNCPLAN_BLOCKS", "%1 blocks").arg(blocks);
    const QString movedText =
        moved == 1 ? Tr(language, "SYNCPLAN_ONE_MOVED", "1 picture moved")
                   : Tr(language, "SYNCPLAN_MOVED", "%1 pictures moved").arg(moved);
    // One arg() for all three: a count's text never has its own "%n" filled in again.
    return Tr(language, "SYNCPLAN_TIPS", "%1, %2, ≈ %3 s")
        .arg(blocksText, movedText, QString::number(seconds));
}

QString BudgetText(const Language& language, const FlashBudget& budget) {
    return Tr(language, "BUDGET_TIPS", "Flash used: %1 KB, free: %2 KB")
               .arg((budget.usedBytes + 1023) / 1024)
               .arg(budget.freeBytes / 1024) +
           QLatin1Char('\n') +
           Tr(language, "BUDGET_MORE_TIPS", "About %1 more pictures fit").arg(budget.moreFit);
}

bool ModelAtRest(FrameSession& session) {
    const AppState& s = session.State();
    return s.m_bAttached && s.m_bAlbumRead && s.m_bReady && !s.m_bReading && !s.m_bBatchAdding &&
           !session.Worker().Running() && session.Connection().IsConnected();
}

QString SynchronizeTooltip(FrameSession& session) {
    const Language& language = session.GetLanguage();
    const QString normal = Tr(language, "IDC_BUTTON_SENDTIPS", "Synchronize");
    if (!ModelAtRest(session) || !session.State().m_bModified) return normal;
    const WritePlan plan = PlanSynchronize(session.Connection(), session.List().ItemCount(),
                                           session.GetSynchronizer().BackupRoot());
    return normal + QLatin1Char('\n') + PlanLine(language, plan);
}

QString PictureTotalTooltip(FrameSession& session) {
    if (!ModelAtRest(session)) return {};
    const FlashBudget budget =
        ComputeFlashBudget(session.Connection().Model(), session.Connection().Info(),
                           session.List().ItemCount(), session.Encoder().quality());
    return BudgetText(session.GetLanguage(), budget);
}

std::vector<BackupEntry> ListBackupsNewestFirst(FrameSession& session) {
    const DeviceInfo& info = session.Connection().Info();
    std::vector<BackupEntry> entries;
    for (const auto& file : ListFlashBackups(session.Recovery().BackupRoot(), info))
        entries.push_back({file, BackupTime(file), BackupPictures(file, info)});
    std::reverse(entries.begin(), entries.end());
    return entries;
}

QString BackupItemText(const Language& language, const BackupEntry& entry) {
    return Tr(language, "RESTORE_ITEM", "%1, %2 pictures").arg(entry.when).arg(entry.pictures);
}

}  // namespace framewise
