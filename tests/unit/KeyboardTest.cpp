// The clock by keyboard and for screen readers: the focus order, every key
// and what it clicks, one table; the clicks run the mouse's handlers; and
// what a screen reader is told, in both languages.

#include <gtest/gtest.h>

#include "clock/FormWindow.h"
#include "support/ClockRig.h"

namespace {

using face::Control;
using keyboard::Key;
using keyboard::KeyPress;

struct KeyCase {
    const char* what;
    KeyPress press;
    std::optional<Control> focused;
    bool handled;
    std::optional<Control> focusAfter;
    std::optional<Control> click;
};

constexpr KeyPress plain(Key key) {
    return {key, false, false, false};
}
constexpr KeyPress shifted(Key key) {
    return {key, true, false, false};
}
constexpr KeyPress alt(Key key) {
    return {key, false, false, true};
}
constexpr KeyPress ctrl(Key key) {
    return {key, false, true, false};
}

const KeyCase kKeys[] = {
    // Tab's order, round and round, and back with Shift+Tab.
    {"Tab from nothing", plain(Key::Tab), std::nullopt, true, Control::butOnOff, std::nullopt},
    {"Tab", plain(Key::Tab), Control::butOnOff, true, Control::butTrack, std::nullopt},
    {"Tab", plain(Key::Tab), Control::butTrack, true, Control::butSettings, std::nullopt},
    {"Tab", plain(Key::Tab), Control::butSettings, true, Control::lblMinimize, std::nullopt},
    {"Tab", plain(Key::Tab), Control::lblMinimize, true, Control::lblClose, std::nullopt},
    {"Tab wraps", plain(Key::Tab), Control::lblClose, true, Control::butOnOff, std::nullopt},
    {"Shift+Tab from nothing", shifted(Key::Tab), std::nullopt, true, Control::lblClose,
     std::nullopt},
    {"Shift+Tab wraps", shifted(Key::Tab), Control::butOnOff, true, Control::lblClose,
     std::nullopt},
    {"Shift+Tab", shifted(Key::Tab), Control::butSettings, true, Control::butTrack, std::nullopt},
    {"Ctrl+Tab is not ours", ctrl(Key::Tab), Control::butOnOff, false, Control::butOnOff,
     std::nullopt},
    // Space and Return click the focused control, and only with no Ctrl or Alt.
    {"Space", plain(Key::Space), Control::butOnOff, true, Control::butOnOff, Control::butOnOff},
    {"Return", plain(Key::Return), Control::butTrack, true, Control::butTrack, Control::butTrack},
    {"Enter", plain(Key::Enter), Control::butSettings, true, Control::butSettings,
     Control::butSettings},
    {"Space on -", plain(Key::Space), Control::lblMinimize, true, Control::lblMinimize,
     Control::lblMinimize},
    {"Return on X", plain(Key::Return), Control::lblClose, true, Control::lblClose,
     Control::lblClose},
    {"Space with no focus", plain(Key::Space), std::nullopt, true, std::nullopt, std::nullopt},
    {"Alt+Return is not ours", alt(Key::Return), Control::butOnOff, false, Control::butOnOff,
     std::nullopt},
    // The keys of the common acts, wherever the focus is; it stays.
    {"A", plain(Key::A), Control::lblClose, true, Control::lblClose, Control::butOnOff},
    {"Shift+A", shifted(Key::A), std::nullopt, true, std::nullopt, Control::butOnOff},
    {"M", plain(Key::M), Control::butOnOff, true, Control::butOnOff, Control::butTrack},
    {"L", plain(Key::L), Control::butOnOff, true, Control::butOnOff, Control::butSettings},
    {"Escape", plain(Key::Escape), Control::butTrack, true, Control::butTrack,
     Control::lblMinimize},
    {"Alt+F4", alt(Key::F4), Control::butOnOff, true, Control::butOnOff, Control::lblClose},
    {"Ctrl+A is not ours", ctrl(Key::A), Control::butOnOff, false, Control::butOnOff, std::nullopt},
    {"Alt+L is not ours", alt(Key::L), Control::butOnOff, false, Control::butOnOff, std::nullopt},
    {"F4 alone is not ours", plain(Key::F4), Control::butOnOff, false, Control::butOnOff,
     std::nullopt},
    {"other keys", plain(Key::Other), Control::butTrack, false, Control::butTrack, std::nullopt},
};

TEST(Keyboard, FocusOrderAndKeys) {
    for (const KeyCase& c : kKeys) {
        const keyboard::Response r = keyboard::respond(c.press, c.focused);
        SCOPED_TRACE(c.what);
        EXPECT_EQ(r.handled, c.handled);
        EXPECT_EQ(r.focus, c.focusAfter);
        EXPECT_EQ(r.click, c.click);
    }
}

// A platform's key codes in the clock's terms: its named keys, and letters by
// their upper-case ASCII codes; a code it lacks (-1) matches nothing.
TEST(Keyboard, NativeCodes) {
    constexpr keyboard::NativeKeys kKeys{9, 100, 32, 13, 101, 27, 115};
    constexpr keyboard::NativeKeys kNoBacktab{9, -1, 32, 13, -1, 27, 115};
    const auto key = [](int code, const keyboard::NativeKeys& keys, bool shift = false) {
        return keyboard::keyPressOf(code, keys, shift, false, false);
    };
    EXPECT_EQ(key(9, kKeys).key, Key::Tab);
    EXPECT_FALSE(key(9, kKeys).shift);
    EXPECT_EQ(key(100, kKeys).key, Key::Tab);
    EXPECT_TRUE(key(100, kKeys).shift) << "Backtab is Shift+Tab";
    EXPECT_EQ(key(101, kKeys).key, Key::Enter);
    EXPECT_EQ(key(13, kKeys).key, Key::Return);
    EXPECT_EQ(key(27, kKeys).key, Key::Escape);
    EXPECT_EQ(key(115, kKeys).key, Key::F4);
    EXPECT_EQ(key('A', kKeys, true).key, Key::A);
    EXPECT_TRUE(key('A', kKeys, true).shift);
    EXPECT_EQ(key('M', kKeys).key, Key::M);
    EXPECT_EQ(key('L', kKeys).key, Key::L);
    EXPECT_EQ(key('B', kKeys).key, Key::Other);
    EXPECT_EQ(key(-1, kNoBacktab).key, Key::Other) << "-1 stands for no key";
}

// Through the window: the keys click with the mouse's handlers (the same
// dialog, clip and window operation), the focus is kept, and what changed is
// redrawn; a key the clock leaves alone changes nothing.
TEST(Keyboard, KeysRunTheMouseHandlers) {
    ClockRig rig;
    FormWindow window(rig.form);
    window.load();
    EXPECT_EQ(window.focused(), Control::butOnOff);
    EXPECT_FALSE(window.key(plain(Key::Other)).has_value());
    EXPECT_EQ(window.focusMark(true), std::nullopt) << "no mark before a key is used";
    rig.dialogs.typed.push_back("07:00 AM");
    const auto armed = window.key(plain(Key::Space));
    ASSERT_TRUE(armed.has_value());
    EXPECT_TRUE(armed->changed(Control::butOnOff));
    EXPECT_TRUE(armed->changed(Control::lblAlarm));
    EXPECT_TRUE(rig.form.armed());
    EXPECT_EQ(rig.clipsPlayed(), std::vector<std::string>{"alarm_set.wav"});
    window.key(plain(Key::Tab));
    EXPECT_EQ(window.focused(), Control::butTrack);
    window.key(plain(Key::Return));
    EXPECT_EQ(rig.dialogs.asked.back().title, "Select A File");
    rig.dialogs.answers.push_back(6);  // Yes
    window.key(plain(Key::L));
    EXPECT_EQ(rig.form.strLang, "fra");
    EXPECT_EQ(window.describe(Control::butSettings).name, "Langue : français");
    EXPECT_EQ(window.focused(), Control::butTrack);
    EXPECT_EQ(window.focusMark(false), std::nullopt) << "not while another window has the keys";
    EXPECT_EQ(window.focusMark(true), face::rowOf(Control::butTrack).rect);
    window.key(plain(Key::Escape));
    EXPECT_FALSE(rig.window.visible);
    // Shown again (from the tray): the first control has the focus.
    window.shown();
    EXPECT_EQ(window.focused(), Control::butOnOff);
    window.setFocused(Control::lblTime);  // not a control the focus goes to
    EXPECT_EQ(window.focused(), Control::butOnOff);
    window.activate(Control::lblClose);
    EXPECT_TRUE(rig.window.closed);
}

struct SaidCase {
    const char* lang;
    bool armed;
    bool ringing;
    const char* track;
    const char* onOff;
    const char* music;
    const char* language;
    const char* hide;
    const char* close;
    const char* musicTip;
    const char* onOffTip;
};

const SaidCase kSaid[] = {
    {"eng", false, false, "No Track Selected", "Alarm", "Choose music", "Language: English", "Hide",
     "Close", "Choose the alarm music, or go back to the beep (M)",
     "Switch the alarm on or off (A)"},
    {"eng", true, true, "/home/me/Music/Wake Up.mp3", "Alarm", "Music: Wake Up",
     "Language: English", "Hide", "Close", "Choose the alarm music, or go back to the beep (M)",
     "Ringing until you switch it off (A)"},
    {"fra", true, true, "Aucune Chanson Sélectionée", "Alarme", "Choisir la musique",
     "Langue : français", "Masquer", "Fermer",
     "Choisir la musique de l'alarme, ou revenir au bip (M)",
     "Sonne jusqu'à ce que vous l'arrêtiez (A)"},
    {"fra", false, false, "C:\\Musique\\réveil.wma", "Alarme", "Musique : réveil",
     "Langue : français", "Masquer", "Fermer",
     "Choisir la musique de l'alarme, ou revenir au bip (M)", "Activer ou arrêter l'alarme (A)"},
};

TEST(ScreenReader, NamesRolesAndStateInBothLanguages) {
    using accessible::Role;
    for (const SaidCase& c : kSaid) {
        SCOPED_TRACE(std::string(c.lang) + " " + c.track);
        ClockRig rig;
        FormWindow window(rig.form);
        rig.form.strLang = c.lang;
        rig.form.butOnOff.Tag = c.armed ? onOffTag::on : onOffTag::off;
        rig.form.blnAlarm = c.ringing;
        rig.form.lblTrack.Caption = c.track;
        rig.form.lblTime.Caption = "07:00:10";
        rig.form.lblAMPM.Caption = "AM";
        rig.form.lblAlarm.Caption = "07:00 AM";
        const auto describe = [&](Control control) { return window.describe(control); };
        const auto onOff = describe(Control::butOnOff);
        EXPECT_EQ(onOff.name, c.onOff);
        EXPECT_EQ(onOff.role, Role::ToggleButton);
        EXPECT_EQ(onOff.checked, c.armed);
        EXPECT_EQ(onOff.tooltip, c.onOffTip);
        EXPECT_EQ(accessible::ringingAlert(c.lang, "07:00 AM"), c.lang == std::string("fra")
                                                                    ? "L'alarme de 07:00 AM sonne"
                                                                    : "Alarm 07:00 AM ringing");
        const auto music = describe(Control::butTrack);
        EXPECT_EQ(music.name, c.music);
        EXPECT_EQ(music.tooltip, c.musicTip);
        EXPECT_EQ(music.role, Role::Button);
        EXPECT_EQ(describe(Control::butSettings).name, c.language);
        EXPECT_EQ(describe(Control::lblMinimize).name, c.hide);
        EXPECT_EQ(describe(Control::lblClose).name, c.close);
        EXPECT_EQ(describe(Control::lblClose).shortcut, "Alt+F4");
        EXPECT_EQ(describe(Control::lblClose).action,
                  c.lang == std::string("fra") ? "Appuyer" : "Press");
        const auto time = describe(Control::lblTime);
        EXPECT_EQ(time.text, "07:00:10 AM");
        EXPECT_EQ(time.role, Role::Label);
        EXPECT_FALSE(time.checked.has_value());
        EXPECT_FALSE(time.pressable);
        EXPECT_EQ(describe(Control::lblAlarm).text, "07:00 AM");
        EXPECT_EQ(describe(Control::lblTrack).text, c.track);
        EXPECT_EQ(describe(Control::lblAMPM).role, Role::None) << "said with the time";
    }
}

}  // namespace
