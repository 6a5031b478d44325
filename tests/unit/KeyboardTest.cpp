// The clock by keyboard and for screen readers: the focus order, every key
// and what it clicks, one table; the clicks run the mouse's handlers; and
// what a screen reader is told, in both languages.

#include <gtest/gtest.h>

#include "clock/Keyboard.h"
#include "support/ClockRig.h"

namespace {

using keyboard::Control;
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
    {"Tab from nothing", plain(Key::Tab), std::nullopt, true, Control::OnOff, std::nullopt},
    {"Tab", plain(Key::Tab), Control::OnOff, true, Control::Track, std::nullopt},
    {"Tab", plain(Key::Tab), Control::Track, true, Control::Settings, std::nullopt},
    {"Tab", plain(Key::Tab), Control::Settings, true, Control::Minimize, std::nullopt},
    {"Tab", plain(Key::Tab), Control::Minimize, true, Control::Close, std::nullopt},
    {"Tab wraps", plain(Key::Tab), Control::Close, true, Control::OnOff, std::nullopt},
    {"Shift+Tab from nothing", shifted(Key::Tab), std::nullopt, true, Control::Close, std::nullopt},
    {"Shift+Tab wraps", shifted(Key::Tab), Control::OnOff, true, Control::Close, std::nullopt},
    {"Shift+Tab", shifted(Key::Tab), Control::Settings, true, Control::Track, std::nullopt},
    {"Ctrl+Tab is not ours", ctrl(Key::Tab), Control::OnOff, false, Control::OnOff, std::nullopt},
    // Space and Return click the focused control, and only with no Ctrl or Alt.
    {"Space", plain(Key::Space), Control::OnOff, true, Control::OnOff, Control::OnOff},
    {"Return", plain(Key::Return), Control::Track, true, Control::Track, Control::Track},
    {"Enter", plain(Key::Enter), Control::Settings, true, Control::Settings, Control::Settings},
    {"Space on -", plain(Key::Space), Control::Minimize, true, Control::Minimize,
     Control::Minimize},
    {"Return on X", plain(Key::Return), Control::Close, true, Control::Close, Control::Close},
    {"Space with no focus", plain(Key::Space), std::nullopt, true, std::nullopt, std::nullopt},
    {"Alt+Return is not ours", alt(Key::Return), Control::OnOff, false, Control::OnOff,
     std::nullopt},
    // The keys of the common acts, wherever the focus is; it stays.
    {"A", plain(Key::A), Control::Close, true, Control::Close, Control::OnOff},
    {"Shift+A", shifted(Key::A), std::nullopt, true, std::nullopt, Control::OnOff},
    {"M", plain(Key::M), Control::OnOff, true, Control::OnOff, Control::Track},
    {"L", plain(Key::L), Control::OnOff, true, Control::OnOff, Control::Settings},
    {"Escape", plain(Key::Escape), Control::Track, true, Control::Track, Control::Minimize},
    {"Alt+F4", alt(Key::F4), Control::OnOff, true, Control::OnOff, Control::Close},
    {"Ctrl+A is not ours", ctrl(Key::A), Control::OnOff, false, Control::OnOff, std::nullopt},
    {"Alt+L is not ours", alt(Key::L), Control::OnOff, false, Control::OnOff, std::nullopt},
    {"F4 alone is not ours", plain(Key::F4), Control::OnOff, false, Control::OnOff, std::nullopt},
    {"other keys", plain(Key::Other), Control::Track, false, Control::Track, std::nullopt},
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

// Each control's click by keyboard is the mouse's handler: the same dialog,
// the same window operation.
TEST(Keyboard, ClicksRunTheMouseHandlers) {
    ClockRig rig;
    rig.dialogs.typed.push_back("07:00 AM");
    clickControl(rig.form, Control::OnOff);
    EXPECT_TRUE(rig.form.armed());
    EXPECT_EQ(rig.clipsPlayed(), std::vector<std::string>{"alarm_set.wav"});
    clickControl(rig.form, Control::Track);
    EXPECT_EQ(rig.dialogs.asked.back().title, "Select A File");
    rig.dialogs.answers.push_back(6);  // Yes
    clickControl(rig.form, Control::Settings);
    EXPECT_EQ(rig.form.strLang, "fra");
    clickControl(rig.form, Control::Minimize);
    EXPECT_FALSE(rig.window.visible);
    clickControl(rig.form, Control::Close);
    EXPECT_TRUE(rig.window.closed);
}

struct SaidCase {
    const char* lang;
    bool armed;
    const char* track;
    const char* onOff;
    const char* music;
    const char* language;
    const char* hide;
    const char* close;
    const char* musicTip;
};

const SaidCase kSaid[] = {
    {"eng", false, "No Track Selected", "Alarm", "Choose music", "Language: English", "Hide",
     "Close", "Choose the alarm music, or go back to the beep (M)"},
    {"eng", true, "/home/me/Music/Wake Up.mp3", "Alarm", "Music: Wake Up", "Language: English",
     "Hide", "Close", "Choose the alarm music, or go back to the beep (M)"},
    {"fra", true, "Aucune Chanson Sélectionée", "Alarme", "Choisir la musique", "Langue : français",
     "Masquer", "Fermer", "Choisir la musique de l'alarme, ou revenir au bip (M)"},
    {"fra", false, "C:\\Musique\\réveil.wma", "Alarme", "Musique : réveil", "Langue : français",
     "Masquer", "Fermer", "Choisir la musique de l'alarme, ou revenir au bip (M)"},
};

TEST(ScreenReader, NamesRolesAndStateInBothLanguages) {
    using accessible::Part;
    using accessible::Role;
    for (const SaidCase& c : kSaid) {
        SCOPED_TRACE(std::string(c.lang) + " " + c.track);
        const accessible::Shown shown{c.lang, c.armed, c.track, "07:00:10", "AM", "07:00 AM"};
        const auto onOff = accessible::describe(Part::OnOff, shown);
        EXPECT_EQ(onOff.name, c.onOff);
        EXPECT_EQ(onOff.role, Role::ToggleButton);
        EXPECT_EQ(onOff.checked, c.armed);
        EXPECT_EQ(onOff.tooltip.substr(onOff.tooltip.size() - 3), "(A)");
        const auto music = accessible::describe(Part::Track, shown);
        EXPECT_EQ(music.name, c.music);
        EXPECT_EQ(music.tooltip, c.musicTip);
        EXPECT_EQ(music.role, Role::Button);
        EXPECT_EQ(accessible::describe(Part::Settings, shown).name, c.language);
        EXPECT_EQ(accessible::describe(Part::Minimize, shown).name, c.hide);
        EXPECT_EQ(accessible::describe(Part::Close, shown).name, c.close);
        EXPECT_EQ(accessible::describe(Part::Close, shown).shortcut, "Alt+F4");
        const auto time = accessible::describe(Part::Time, shown);
        EXPECT_EQ(time.text, "07:00:10 AM");
        EXPECT_EQ(time.role, Role::Label);
        EXPECT_FALSE(time.checked.has_value());
        EXPECT_EQ(accessible::describe(Part::AlarmTime, shown).text, "07:00 AM");
    }
}

}  // namespace
