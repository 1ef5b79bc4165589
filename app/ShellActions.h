// The window's actions that need no more than today's session: the language switch, the
// About box, the clean-up at the end. The album and picture commands are the wiring's; it
// derives from this class.
#pragma once

#include <QString>

#include <functional>
#include <string>

#include "app/WindowActions.h"

namespace framewise {

class FrameSession;
class Frontend;
class MainWindow;
class Settings;

// What the window takes from the shipped start-up file.
struct ShellSettings {
    QString title = QStringLiteral("Framewise");  // Titlename
    bool progressCtrlOff = false;                 // ProgressCtrl is "OFF"
    std::string corpLink;                         // CorpLink
};
ShellSettings ReadShellSettings(const Settings& settings);

class ShellActions : public WindowActions {
  public:
    ShellActions(MainWindow& window, FrameSession& session, Frontend& frontend,
                 ShellSettings shell);

    // The window state the captions depend on; the picture side tells whether the next Rect
    // press switches the crop rectangle on.
    void SetCropNext(std::function<bool()> cropNext) { m_cropNext = std::move(cropNext); }
    CaptionState CurrentCaptionState();

    void SwitchLanguage(int commandId) override;
    AboutTexts About() override;
    void Quit() override;

  protected:
    MainWindow& m_window;
    FrameSession& m_session;
    Frontend& m_frontend;
    ShellSettings m_shell;
    std::function<bool()> m_cropNext;
};

}  // namespace framewise
