// The language switch, the track choice and the hour and minute preset lists.

#include "clock/frmMain.h"
#include "lang/Languages.h"
#include "ui/Presets.h"
#include "ui/Texts.h"

void frmMain::butSettings_Click() {
    if (const Language* current = findLanguage(strLang)) {
        const int answer =
            m_platform.dialogs.askYesNo(texts::languageQuestion(strLang), texts::optionsTitle);
        if (answer == Dialogs::Yes) {
            const std::string from = strLang;
            strLang = current->otherCode;
            if (lblTrack.Caption == texts::noTrackText(from))
                lblTrack.Caption = texts::noTrackText(strLang);
        }
    }
    addAlarmPresets();
}

void frmMain::butTrack_Click() {
    if (!trackChosen()) {
        const std::string file = m_platform.dialogs.openFile(
            texts::selectFileTitle, texts::musicFilter, texts::musicDefaultExt, browseFileName);
        if (file.empty()) return;
        browseFileName = file;
        lblTrack.Caption = file;
        butBuzz.Visible = false;
        butSong.Visible = true;
        return;
    }
    m_platform.wmp.stop();
    lblTrack.Caption = texts::noTrackText(strLang);
    if (!lblTrack.Caption.empty()) {
        butBuzz.Visible = true;
        butSong.Visible = false;
    }
    // A ringing alarm is never left silent: the beep takes the track's place,
    // after the words if the time is being spoken.
    if (blnAlarm) fallBackToBeep();
}

void frmMain::addAlarmPresets() {
    lstHour.List = hourPresets(m_platform.clock.dateTimeText());
    lstMin.List = minutePresets();
    if (const Language* language = findLanguage(strLang)) {
        lstHour.Text = language->hourHeading;
        lstMin.Text = language->minuteHeading;
    }
}
