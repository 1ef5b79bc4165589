// The window's view of the write plan and the flash budget: the Synchronize button's tooltip
// with the one-line plan, the picture total's tooltip with the budget, and the backups of the
// frame as the restore dialog lists them.
#pragma once

#include <QString>

#include <filesystem>
#include <vector>

namespace framewise {

class FrameSession;
struct WritePlan;
struct FlashBudget;
class Language;

// "3 blocks, 2 pictures moved, ≈ 2 s" in the current language (at least 1 s).
QString PlanLine(const Language& language, const WritePlan& plan);
// "Flash used: 241 KB, free: 1807 KB" and "About 244 more pictures fit", on two lines.
QString BudgetText(const Language& language, const FlashBudget& budget);

// Whether the session's model may be read on the window's thread now: a frame attached and
// read whole, no worker or batch running.
bool ModelAtRest(FrameSession& session);
// The Synchronize tooltip: the normal text, with the plan's line under it while the album
// holds something to write; the picture total's tooltip: the budget (empty without an album).
QString SynchronizeTooltip(FrameSession& session);
QString PictureTotalTooltip(FrameSession& session);

struct BackupEntry {
    std::filesystem::path file;
    QString when;      // local time the backup was taken, "2026-05-01 14:03:07"
    int pictures = 0;  // the pictures its index lists
};
// This frame's backups under the session's backup root, newest first.
std::vector<BackupEntry> ListBackupsNewestFirst(FrameSession& session);
// The texts the restore dialog lists them with.
QString BackupItemText(const Language& language, const BackupEntry& entry);

}  // namespace framewise
