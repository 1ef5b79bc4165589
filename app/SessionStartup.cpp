#include "app/SessionStartup.h"

#include <QAbstractButton>
#include <QLabel>
#include <QSlider>

#include "album/FrameSession.h"
#include "app/ControlFactory.h"
#include "app/GuiFrontend.h"
#include "app/MainWindow.h"
#include "app/QtTranslations.h"
#include "app/ShellActions.h"
#include "config/ControlIds.h"
#include "controls/Icons.h"

namespace framewise {

std::optional<int> OpenSession(ProgramParts& parts, const AppOptions& options) {
    FrameSessionOptions o;
    o.workRoot = options.workRoot;
    o.simulateImage = options.simulateImage;
    o.dataFolder = options.dataFolder;
    o.backupRoot = options.backupRoot;
    o.simFaults = options.simFaults;
    // A window hears of frames coming and going for as long as it runs.
    o.hotPlug = true;
    std::string error;
    if (!parts.session.Open(o, error)) {
        parts.frontend.ShowMessage("Framewise cannot start: " + error);
        return kAppExitFailure;
    }
    if (options.simLink && parts.session.Simulated())
        parts.session.Simulated()->SetLinkModel(*options.simLink);
    // From the first message box on, Qt's own texts speak the chosen language.
    ApplyQtTranslations(parts.session.GetLanguage().CurrentName());
    if (!parts.session.DevicePresent()) {
        parts.window.ShowConnection(false);
        // The detached status and the insert prompt, as the start-up attach gives them.
        parts.session.StartupAttach();
        parts.frontend.ShowMessage(kPlugInMessage);
        parts.session.Close();
        return kAppExitOk;
    }
    return std::nullopt;
}

void PrepareWindow(ProgramParts& parts, ShellActions& actions) {
    FrameSession& session = parts.session;
    const StartupSettings& startup = session.Startup();
    MainWindow& window = parts.window;
    window.SetTitle(QString::fromStdString(startup.title));
    window.SetProgressCtrlOff(startup.progressCtrl == "OFF");
    window.SetCore(session.State(), session.GetLanguage(), parts.frontend);
    window.SetActions(&actions);
    // Nothing acts on the album until a frame's album has been read.
    window.SetDisabled(DisableReason::NoAlbum, true);
    // The language as the session's start-up applied it: applied once, its missing keys
    // reported once.
    window.SetLanguageMenu(startup.menu);
    window.ApplyLanguageSwitch(startup.language);
    // The quality slider starts at the start-up quality (it stays hidden until a picture
    // needs it).
    if (auto* slider = qobject_cast<QSlider*>(window.Control(kIdQualitySlider))) {
        slider->setRange(10, 100);
        slider->setPageStep(1);
        slider->setValue(startup.jpgQuality);
    }
    if (auto* label = qobject_cast<QLabel*>(window.Control(kIdQualityLabel)))
        label->setText(QString::fromStdString(startup.language.captions.qualityLabelText));
}

bool BeginConnection(ProgramParts& parts) {
    parts.window.ShowConnection(true);
    const bool attached = parts.session.StartupAttach();
    for (const auto& [id, button] : parts.window.Controls().CommandButtons()) {
        if (const char* icon = factory::ButtonIconName(id))
            factory::SetButtonIcon(button, FramewiseIcon(QString::fromLatin1(icon)));
    }
    return attached;
}

}  // namespace framewise
