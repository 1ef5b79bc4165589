// The album side of the window's commands over the core: Synchronize, Delete, Up, Down,
// Select All, Save, Save All, dropped files, reading the frame again and the clean-up at the
// end. The picture commands go to the picture side's hooks.
#pragma once

#include "album/AlbumCommands.h"
#include "app/ShellActions.h"

namespace framewise {

class ConnectionHandlers;
class GuiFrontend;
class RunningWork;
class Workbench;
struct PictureSideHooks;

class ProgramActions : public ShellActions {
  public:
    ProgramActions(MainWindow& window, FrameSession& session, GuiFrontend& frontend,
                   ShellSettings shell, Workbench& bench, PictureSideHooks& hooks,
                   ConnectionHandlers& connection, RunningWork& work);

    void Synchronize() override;
    void DeleteSelected() override;
    void SelectAll() override;
    void MoveUp() override;
    void MoveDown() override;
    void Save() override;
    void SaveAll() override;
    void FilesDropped(const std::vector<std::string>& queue) override;
    bool ReadAgainOffered() override;
    void ReadAgain() override;
    void Quit() override;

    // The picture side's commands, through its hooks (nothing while a hook is empty).
    void Add() override;
    void ZoomIn() override;
    void ZoomOut() override;
    void ToggleRect() override;
    void RotateLeft() override;
    void RotateRight() override;

  private:
    bool FolderListHasFocus() const;

    GuiFrontend& m_gui;
    Workbench& m_bench;
    PictureSideHooks& m_hooks;
    ConnectionHandlers& m_connection;
    RunningWork& m_work;
    AlbumCommands m_commands;
};

}  // namespace framewise
