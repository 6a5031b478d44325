// Restarting as the clock was: set from a restart command line, and keeping
// that line registered with the platform while the clock runs.

#include "clock/RestartLine.h"
#include "clock/frmMain.h"
#include "lang/Languages.h"
#include "log/Log.h"
#include "ui/Texts.h"

void frmMain::resume(const RestartState& state) {
    if (findLanguage(state.language)) {
        const std::string from = strLang;
        strLang = state.language;
        if (lblTrack.Caption == texts::noTrackText(from))
            lblTrack.Caption = texts::noTrackText(strLang);
        addAlarmPresets();
    }
    if (!state.track.empty()) {
        // As if chosen with the notes.
        browseFileName = lblTrack.Caption = state.track;
        butBuzz.Visible = false;
        butSong.Visible = true;
    }
    if (!state.alarm.empty()) armFor(state.alarm);
}

void frmMain::noteRestartLine() {
    if (m_unloaded || !m_platform.registerRestart) return;
    std::vector<std::string> line = restartArguments(RestartState{
        .alarm = armed() ? strAlarm : std::string(),
        .track = trackChosen() ? lblTrack.Caption : std::string(),
        .language = strLang,
    });
    if (line == m_restartLine) return;
    m_restartLine = std::move(line);
    std::string text;
    for (const std::string& argument : m_restartLine) text += " " + argument;
    logDebug(LogCategory::clock, "restart line:" + text);
    m_platform.registerRestart(m_restartLine);
}
