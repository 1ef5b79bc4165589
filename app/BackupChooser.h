// The restore dialog's list: this frame's backups, newest first, one to choose. Tests answer
// it in advance, as they answer the message boxes.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QDialog;
class QWidget;

namespace framewise {

class BackupChooser {
  public:
    // The row chosen; nullopt when cancelled. While Dialogs are scripted nothing is shown:
    // the choice queued here is taken (none queued: cancelled), and title|label is recorded
    // with Dialogs' shown texts.
    static std::optional<int> Choose(QWidget* parent, const QString& title, const QString& label,
                                     const QStringList& items);
    static void SetNextChoice(std::optional<int> row);
    // The dialog as Choose shows it, not yet shown (for screenshots).
    static QDialog* Make(QWidget* parent, const QString& title, const QString& label,
                               const QStringList& items);
};

}  // namespace framewise
