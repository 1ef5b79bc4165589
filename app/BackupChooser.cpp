#include "app/BackupChooser.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMutex>
#include <QVBoxLayout>

#include <deque>

#include "app/Dialogs.h"

namespace framewise {

namespace {
struct ChoiceScript {
    QMutex mutex;
    std::deque<std::optional<int>> choices;
};
ChoiceScript& Script() {
    static ChoiceScript script;
    return script;
}
}  // namespace

QDialog* BackupChooser::Make(QWidget* parent, const QString& title, const QString& label,
                             const QStringList& items) {
    auto* dialog = new QDialog(parent);
    dialog->setWindowTitle(title);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(new QLabel(label, dialog));
    auto* list = new QListWidget(dialog);
    list->setObjectName(QStringLiteral("backups"));
    list->addItems(items);
    list->setCurrentRow(0);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog->resize(420, 260);
    return dialog;
}

std::optional<int> BackupChooser::Choose(QWidget* parent, const QString& title,
                                         const QString& label, const QStringList& items) {
    if (Dialogs::IsScripted()) {
        Dialogs::Record(title + QLatin1Char('|') + label);
        ChoiceScript& s = Script();
        QMutexLocker lock(&s.mutex);
        if (s.choices.empty()) return std::nullopt;
        const auto row = s.choices.front();
        s.choices.pop_front();
        if (row && (*row < 0 || *row >= items.size())) return std::nullopt;
        return row;
    }
    QDialog* dialog = Make(parent, title, label, items);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    const int row = dialog->findChild<QListWidget*>(QStringLiteral("backups"))->currentRow();
    delete dialog;
    if (!accepted || row < 0) return std::nullopt;
    return row;
}

void BackupChooser::SetNextChoice(std::optional<int> row) {
    ChoiceScript& s = Script();
    QMutexLocker lock(&s.mutex);
    s.choices.push_back(row);
}

}  // namespace framewise
