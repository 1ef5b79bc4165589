// The keyboard accelerators of the main window: each key combination names a command, and
// works whatever control of the window has the focus.
#pragma once

#include <QKeySequence>

#include <functional>
#include <span>

class QWidget;

namespace framewise {

struct Accelerator {
    QKeySequence keys;
    int commandId;  // a ControlId, or kCmdAddAccelerator
};

// In table order: Ctrl+A, Ctrl+E, Ctrl+R, Ctrl+S, keypad +, Delete, Ctrl+Shift+Left,
// Ctrl+Right, Ctrl+Shift+Right, keypad -.
std::span<const Accelerator> AcceleratorTable();

// Makes one window-wide shortcut per accelerator on window, each calling command with its id.
void InstallAccelerators(QWidget* window, const std::function<void(int commandId)>& command);

}  // namespace framewise
