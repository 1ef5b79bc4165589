#include "app/SessionStartup.h"

#include "album/FrameSession.h"
#include "app/GuiFrontend.h"
#include "app/MainWindow.h"
#include "app/QtTranslations.h"
#include "app/ShellActions.h"
#include "config/ControlIds.h"

namespace framewise {

std::optional<int> OpenSession(ProgramParts& parts, const AppOptions& options) {
    FrameSessionOptions o;
    o.workRoot = options.workRoot;
    o.simulateImage = options.simulateImage;
    o.dataFolder = options.dataFolder;
    std::string error;
    if (!parts.session.Open(o, error)) {
        parts.frontend.ShowMessage("Framewise cannot start: " + error);
        return kAppExitFailure;
    }
    // From the first message box on, Qt's own texts speak the chosen language.
    ApplyQtTranslations(parts.session.GetLanguage().CurrentName());
    if (!parts.session.DevicePresent()) {
        Language& language = parts.session.GetLanguage();
        parts.window.ShowConnection(false);
        parts.window.SetStatusText(
            QString::fromStdString(language.Tr("DEVICEOFF_TIPS", "DPF Detached!")));
        parts.window.SetStatusText(QString::fromStdString(
            language.Tr("INSERTDEVICE_TIPS", "Please insert the DPF device!")));
        parts.frontend.ShowMessage(kPlugInMessage);
        parts.session.Close();
        return kAppExitOk;
    }
    return std::nullopt;
}

void PrepareWindow(ProgramParts& parts, ShellActions& actions) {
    FrameSession& session = parts.session;
    const ShellSettings shell = ReadShellSettings(session.GetSettings());
    parts.window.SetTitle(shell.title);
    parts.window.SetProgressCtrlOff(shell.progressCtrlOff);
    parts.window.SetCore(session.State(), session.GetLanguage(), parts.frontend);
    parts.window.SetActions(&actions);
    // Nothing acts on the album until a frame's album has been read.
    parts.window.SetDisabled(DisableReason::NoAlbum, true);
    actions.SwitchLanguage(kCmdLanguage(session.GetLanguage().LangIndex()));
}

void BeginConnection(ProgramParts& parts) {
    parts.window.ShowConnection(true);
}

}  // namespace framewise
