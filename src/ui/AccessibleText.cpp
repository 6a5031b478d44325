#include "ui/AccessibleText.h"

#include "ui/Keyboard.h"
#include "ui/Texts.h"

namespace accessible {

namespace {

// The words of one language; "fra" has its own, every other code English's.
struct Words {
    const char* alarm;
    const char* chooseMusic;
    const char* musicPrefix;
    const char* language;
    const char* hide;
    const char* close;
    const char* time;
    const char* alarmTime;
    const char* track;
    const char* press;
    const char* escape;
    const char* alarmTip;
    const char* ringingTip;
    const char* ringingBefore;  // the alert: these words, the alarm time, the next
    const char* ringingAfter;
    const char* musicTip;
    const char* languageTip;
};

constexpr Words kEnglish{"Alarm",
                         "Choose music",
                         "Music: ",
                         "Language: English",
                         "Hide",
                         "Close",
                         "Time",
                         "Alarm time",
                         "Alarm track",
                         "Press",
                         "Esc",
                         "Switch the alarm on or off",
                         "Ringing until you switch it off",
                         "Alarm ",
                         " ringing",
                         "Choose the alarm music, or go back to the beep",
                         "Switch to French"};
constexpr Words kFrench{"Alarme",
                        "Choisir la musique",
                        "Musique : ",
                        "Langue : français",
                        "Masquer",
                        "Fermer",
                        "Heure",
                        "Heure de l'alarme",
                        "Musique de l'alarme",
                        "Appuyer",
                        "Échap",
                        "Activer ou arrêter l'alarme",
                        "Sonne jusqu'à ce que vous l'arrêtiez",
                        "L'alarme de ",
                        " sonne",
                        "Choisir la musique de l'alarme, ou revenir au bip",
                        "Passer en anglais"};

const Words& wordsOf(std::string_view lang) {
    return lang == "fra" ? kFrench : kEnglish;
}

std::string keyText(face::Control control, const Words& words) {
    switch (keyboard::shortcutKey(control)) {
        case keyboard::Key::A:
            return "A";
        case keyboard::Key::M:
            return "M";
        case keyboard::Key::L:
            return "L";
        case keyboard::Key::Escape:
            return words.escape;
        case keyboard::Key::F4:
            return "Alt+F4";
        default:
            return {};
    }
}

Description button(face::Control control, std::string name, std::string_view tip,
                   const Words& words) {
    Description d;
    d.name = std::move(name);
    d.role = Role::Button;
    d.shortcut = keyText(control, words);
    d.tooltip = std::string(tip) + " (" + d.shortcut + ")";
    d.action = words.press;
    return d;
}

}  // namespace

std::string ringingAlert(std::string_view lang, std::string_view alarm) {
    const Words& w = wordsOf(lang);
    return w.ringingBefore + std::string(alarm) + w.ringingAfter;
}

std::string trackName(std::string_view path) {
    const size_t slash = path.find_last_of("/\\");
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    const size_t dot = path.rfind('.');
    if (dot != std::string_view::npos && dot > 0) path = path.substr(0, dot);
    return std::string(path);
}

Description describe(face::Control control, const Shown& shown) {
    const Words& w = wordsOf(shown.lang);
    using face::Control;
    switch (control) {
        case Control::butOnOff: {
            Description d = button(control, w.alarm, shown.ringing ? w.ringingTip : w.alarmTip, w);
            d.role = Role::ToggleButton;
            d.checked = shown.armed;
            return d;
        }
        case Control::butTrack: {
            const bool chosen = !texts::isNoTrackText(shown.trackCaption);
            return button(control,
                          chosen ? w.musicPrefix + trackName(shown.trackCaption) : w.chooseMusic,
                          w.musicTip, w);
        }
        case Control::butSettings:
            return button(control, w.language, w.languageTip, w);
        case Control::lblMinimize:
            return button(control, w.hide, w.hide, w);
        case Control::lblClose:
            return button(control, w.close, w.close, w);
        case Control::lblTime: {
            Description d;
            d.name = w.time;
            d.text = std::string(shown.time);
            if (!shown.dayHalf.empty()) d.text += " " + std::string(shown.dayHalf);
            return d;
        }
        case Control::lblAlarm:
            return {w.alarmTime, Role::Label, std::nullopt, std::string(shown.alarm), {}, {}, {}};
        case Control::lblTrack:
            return {w.track, Role::Label, std::nullopt, std::string(shown.trackCaption), {},
                    {},      {}};
        default:
            return {};
    }
}

}  // namespace accessible
