#include "app/Accelerators.h"

#include <QShortcut>
#include <QWidget>

#include <array>

#include "config/ControlIds.h"

namespace framewise {

namespace {
const std::array<Accelerator, 10>& Table() {
    static const std::array<Accelerator, 10> table{{
        {QKeySequence(Qt::CTRL | Qt::Key_A), kIdSelectAll},
        {QKeySequence(Qt::CTRL | Qt::Key_E), kIdExit},
        {QKeySequence(Qt::CTRL | Qt::Key_R), kIdRect},
        {QKeySequence(Qt::CTRL | Qt::Key_S), kIdSynchronize},
        {QKeySequence(Qt::KeypadModifier | Qt::Key_Plus), kIdZoomIn},
        {QKeySequence(Qt::Key_Delete), kIdDelete},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Left), kIdRotateLeft},
        {QKeySequence(Qt::CTRL | Qt::Key_Right), kCmdAddAccelerator},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Right), kIdRotateRight},
        {QKeySequence(Qt::KeypadModifier | Qt::Key_Minus), kIdZoomOut},
    }};
    return table;
}
}  // namespace

std::span<const Accelerator> AcceleratorTable() {
    return Table();
}

void InstallAccelerators(QWidget* window, const std::function<void(int)>& command) {
    for (const Accelerator& a : Table()) {
        auto* shortcut = new QShortcut(a.keys, window);
        shortcut->setContext(Qt::WindowShortcut);
        // Held keys repeat the command as a held accelerator key does.
        shortcut->setAutoRepeat(true);
        QObject::connect(shortcut, &QShortcut::activated, window,
                         [command, id = a.commandId] { command(id); });
    }
}

}  // namespace framewise
