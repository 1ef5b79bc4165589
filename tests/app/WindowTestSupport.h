// A main window with the shared flags, the English texts and a recording Frontend behind it,
// and WindowActions that record which command reached them.
#pragma once

#include <QAbstractButton>
#include <QListWidget>
#include <QtTest>

#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/WindowActions.h"
#include "config/AppState.h"
#include "config/ControlIds.h"
#include "config/Language.h"
#include "config/RecordingFrontend.h"

namespace framewise::test {

class RecordingActions : public WindowActions {
  public:
    void Synchronize() override { calls.push_back("Synchronize"); }
    void DeleteSelected() override { calls.push_back("Delete"); }
    void SelectAll() override { calls.push_back("SelectAll"); }
    void MoveUp() override { calls.push_back("MoveUp"); }
    void MoveDown() override { calls.push_back("MoveDown"); }
    void Add() override { calls.push_back("Add"); }
    void ZoomIn() override { calls.push_back("ZoomIn"); }
    void ZoomOut() override { calls.push_back("ZoomOut"); }
    void ToggleRect() override { calls.push_back("Rect"); }
    void RotateLeft() override { calls.push_back("RotateLeft"); }
    void RotateRight() override { calls.push_back("RotateRight"); }
    void Save() override { calls.push_back("Save"); }
    void SaveAll() override { calls.push_back("SaveAll"); }
    void SwitchLanguage(int id) override { calls.push_back("Language " + std::to_string(id)); }
    AboutTexts About() override {
        AboutTexts a;
        a.caption = "About Framewise";
        a.flashSizeLine = "Flash Size: 2048 KB";
        return a;
    }
    void FilesDropped(const std::vector<std::string>& queue) override { dropped = queue; }
    void Quit() override { calls.push_back("Quit"); }

    std::vector<std::string> calls;
    std::vector<std::string> dropped;
};

// The window at 1024 x 768, laid out and shown without the opening animation.
struct ShownWindow {
    ShownWindow() {
        window.SetCore(state, language, frontend);
        window.SetActions(&actions);
        window.SetScreenSize(QSize(1024, 768));
        window.LayoutMainWindow();
        window.show();
        window.activateWindow();
    }
    template <typename T = QWidget>
    T* Get(int id) {
        return window.findChild<T*>(QString::number(id));
    }

    AppState state;
    Language language;
    RecordingFrontend frontend;
    RecordingActions actions;
    MainWindow window;
};

}  // namespace framewise::test
