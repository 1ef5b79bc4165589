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

// Opens the session (work folders, configuration, language, the device link) and prepares
// the window. nullopt: run the window; otherwise the exit code (the start failed, or no
// frame is there: the plug-in message has been shown and the code is 0).
std::optional<int> OpenSession(ProgramParts& parts, const AppOptions& options);

// The texts and state of the window after the session has opened.
void PrepareWindow(ProgramParts& parts, ShellActions& actions);

// SEAM for the session wiring: what the window does with the frame found at start-up
// (attach, then the album read on its worker, reported by "DPFAttach" / "FinishThread" /
// "TransferFailed"). Today it only shows the connected state; the album stays empty and
// the command controls stay disabled.
void BeginConnection(ProgramParts& parts);

// The plug-in request shown when no frame is there at start-up.
inline constexpr const char* kPlugInMessage =
    "Please plug in your Snap Keeper using the provided USB cable \r\nand make sure that the "
    "device is in \"UPDATE\" mode.";

}  // namespace framewise
