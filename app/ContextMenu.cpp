#include "app/ContextMenu.h"

#include <QActionGroup>
#include <QMenu>

#include <algorithm>

#include "config/ControlIds.h"

namespace framewise {

void ContextMenuModel::Set(const LanguageMenu& menu) {
    if (!menu.caption.empty()) m_caption = QString::fromStdString(menu.caption);
    m_entries = menu.entries;
}

void ContextMenuModel::Update(const LanguageSwitch& change) {
    if (!change.applied) return;
    m_caption = QString::fromStdString(change.menuCaption);
    m_aboutText = QString::fromStdString(change.aboutMenuText);
    for (const LanguageMenuEntry& e : change.entries) {
        auto it = std::find_if(m_entries.begin(), m_entries.end(),
                               [&](const auto& m) { return m.commandId == e.commandId; });
        if (it != m_entries.end()) *it = e;
        else m_entries.push_back(e);
    }
}

QMenu* ContextMenuModel::Build(QWidget* parent,
                               const std::function<void(int commandId)>& command,
                               const QString& readAgainText) const {
    auto* menu = new QMenu(parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (!readAgainText.isEmpty()) {
        QAction* read = menu->addAction(readAgainText);
        QObject::connect(read, &QAction::triggered, parent, [command] { command(kIdRead); });
        menu->addSeparator();
    }
    QMenu* languages = menu->addMenu(m_caption);
    auto* group = new QActionGroup(languages);
    for (const LanguageMenuEntry& e : m_entries) {
        QAction* action = languages->addAction(QString::fromStdString(e.text));
        action->setCheckable(true);
        action->setChecked(e.checked);
        action->setActionGroup(group);
        QObject::connect(action, &QAction::triggered, parent,
                         [command, id = e.commandId] { command(id); });
    }
    menu->addSeparator();
    QAction* about = menu->addAction(m_aboutText);
    QObject::connect(about, &QAction::triggered, parent, [command] { command(kCmdAbout); });
    return menu;
}

}  // namespace framewise
