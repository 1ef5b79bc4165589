#include "app/ShellActions.h"

#include "album/FrameSession.h"
#include "app/MainWindow.h"
#include "app/QtTranslations.h"
#include "config/LanguageUi.h"
#include "config/Settings.h"

namespace framewise {

ShellSettings ReadShellSettings(const Settings& settings) {
    ShellSettings s;
    const std::string title = settings.ReadShippedText("info", "Titlename", "Framewise");
    s.title = QString::fromStdString(ReplaceTitle("Framewise", title));
    s.progressCtrlOff = settings.ReadShippedText("info", "ProgressCtrl", "ON") == "OFF";
    s.corpLink = settings.ReadShippedText("info", "CorpLink", "");
    return s;
}

ShellActions::ShellActions(MainWindow& window, FrameSession& session, Frontend& frontend,
                           ShellSettings shell)
    : m_window(window), m_session(session), m_frontend(frontend), m_shell(std::move(shell)) {}

CaptionState ShellActions::CurrentCaptionState() {
    CaptionState state;
    state.m_bCropNext = m_cropNext ? m_cropNext() : true;
    state.attached = m_session.State().m_bAttached;
    state.quality = m_session.Encoder().quality();
    return state;
}

void ShellActions::SwitchLanguage(int commandId) {
    // The session's switch also writes the picture total again in the new language.
    m_window.ApplyLanguageSwitch(m_session.SwitchLanguage(commandId, CurrentCaptionState()));
    // Qt's own texts (dialogs, Yes/No) follow the language the window now speaks.
    ApplyQtTranslations(m_session.GetLanguage().CurrentName());
}

AboutTexts ShellActions::About() {
    const bool attached = m_session.State().m_bAttached;
    const DeviceInfo* info = attached ? &m_session.Connection().Info() : nullptr;
    return AboutBoxTexts(m_session.GetSettings(), m_shell.title.toStdString(), m_shell.corpLink,
                         info ? info->flashSizeKB : 0, info ? info->firmwareVersion : "");
}

void ShellActions::Quit() {
    m_session.Close();
}

}  // namespace framewise
