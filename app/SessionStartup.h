// The program's start-up over the window: the session opened on the options, the window
// given its title, texts and state; then the connection to the frame. Answers an exit code
// when the program ends before its window runs.
#pragma once

#include <optional>

#include "app/AppOptions.h"

namespace framewise {

class FrameSession;
class GuiFrontend;
class MainWindow;
class ShellActions;

struct ProgramParts {
    MainWindow& window;
    GuiFrontend& frontend;
    FrameSession& session;
};

// Opens the session (work folders, configuration, language with its menu, the device link
// watching frames come and go). nullopt: run the window; otherwise the exit code (the start
// failed, or no frame is there: the plug-in message has been shown and the code is 0).
std::optional<int> OpenSession(ProgramParts& parts, const AppOptions& options);

// The texts and state of the window after the session has opened: the title, the progress bar
// mode, the language as the start-up applied it (menu, captions, tooltips), the quality
// slider, and every command control off until a frame's album has been read.
void PrepareWindow(ProgramParts& parts, ShellActions& actions);

// The frame found at start-up: the connected state shown, the frame attached (which posts
// "DPFAttach", whose handler starts the read) and the picture buttons given their icons.
// True when the frame was attached.
bool BeginConnection(ProgramParts& parts);

// The plug-in request shown when no frame is there at start-up.
inline constexpr const char* kPlugInMessage =
    "Please plug in your Snap Keeper using the provided USB cable \r\nand make sure that the "
    "device is in \"UPDATE\" mode.";

}  // namespace framewise
