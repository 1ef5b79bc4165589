// What the main window asks of the program: one operation per command, plus the guards
// that decide in plain code when the window's own features act. The window only turns Qt
// events into these calls; the program's wiring implements them over the core.
#pragma once

#include <string>
#include <vector>

#include "config/AppState.h"
#include "config/LanguageUi.h"

namespace framewise {

class WindowActions {
  public:
    virtual ~WindowActions() = default;

    virtual void Synchronize() {}
    virtual void DeleteSelected() {}
    virtual void SelectAll() {}
    virtual void MoveUp() {}
    virtual void MoveDown() {}
    virtual void Add() {}
    virtual void ZoomIn() {}
    virtual void ZoomOut() {}
    virtual void ToggleRect() {}
    virtual void RotateLeft() {}
    virtual void RotateRight() {}
    virtual void Save() {}
    virtual void SaveAll() {}
    // A language entry of the context menu (9002 + index).
    virtual void SwitchLanguage(int commandId) { (void)commandId; }
    virtual AboutTexts About() { return {}; }
    // The add queue of an accepted drop (never empty).
    virtual void FilesDropped(const std::vector<std::string>& queue) { (void)queue; }
    // After a failed read: whether the right-button menu offers to read the frame again, and
    // doing it.
    virtual bool ReadAgainOffered() { return false; }
    virtual void ReadAgain() {}
    // The user confirmed quitting (or a stopped synchronize ended): the clean-up before the
    // window ends. Workers are stopped and joined by then.
    virtual void Quit() {}
};

// The right-button menu shows only while ready and not reading.
inline bool ContextMenuAllowed(const AppState& state) {
    return state.m_bReady && !state.m_bReading;
}

// Tooltips show only while ready (no transfer runs).
inline bool TooltipsShown(const AppState& state) {
    return state.m_bReady;
}

// Ctrl+Right adds only while no batch runs and the Add button is enabled.
inline bool AddAcceleratorAllowed(const AppState& state, bool addEnabled) {
    return !state.m_bBatchAdding && addEnabled;
}

}  // namespace framewise
