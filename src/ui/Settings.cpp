// The language switch, the track choice and the hour and minute preset lists.

#include "clock/frmMain.h"
#include "ui/Texts.h"

void frmMain::butSettings_Click() {
    if (strLang == "eng" || strLang == "fra") {
        const bool toFrench = strLang == "eng";
        const int answer =
            m_platform.dialogs.askYesNo(texts::languageQuestion(strLang), texts::optionsTitle);
        if (answer == Dialogs::Yes) {
            const std::string from = strLang;
            strLang = toFrench ? "fra" : "eng";
            if (lblTrack.Caption == texts::noTrackText(from))
                lblTrack.Caption = texts::noTrackText(strLang);
        }
    }
    addAlarmPresets();
}

void frmMain::butTrack_Click() {
    if (!trackChosen()) {
        const std::string file = m_platform.dialogs.openFile(
            texts::selectFileTitle, texts::musicFilter, "mp3", browseFileName);
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
}

void frmMain::addAlarmPresets() {
    const std::string now = m_platform.clock.dateTimeText();
    lstHour.List.clear();
    lstMin.List.clear();
    const std::string tail = now.size() >= 2 ? now.substr(now.size() - 2) : now;
    const bool twelveHour = tail == "AM" || tail == "PM";
    const auto twoDigits = [](int n) { return (n < 10 ? "0" : "") + std::to_string(n); };
    for (int h = twelveHour ? 1 : 0; h <= (twelveHour ? 12 : 23); ++h)
        lstHour.List.push_back(twoDigits(h));
    for (int m = 0; m < 60; ++m) lstMin.List.push_back(twoDigits(m));
    if (strLang == "eng") {
        lstHour.Text = "Hour";
        lstMin.Text = "Minute";
    } else if (strLang == "fra") {
        lstHour.Text = "Heure";
        lstMin.Text = "Minute";
    }
}
