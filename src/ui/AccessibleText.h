#pragma once
// What a screen reader is told, in the clock's language: the shape of a
// control's description, and the words that are not one control's own (the
// default action, the keys, the ringing alarm, the chosen music). Each
// control's own name and tooltip are in its row (clock/ControlTable.h). The
// front ends hand these to the platform's accessibility (AT-SPI through Qt,
// Active Accessibility on Windows).

#include <optional>
#include <string>
#include <string_view>

#include "ui/Keyboard.h"

namespace accessible {

// None: a picture with nothing to say (the background, the lit switches).
enum class Role { None, ToggleButton, Button, Label };

// A text in both of the clock's languages.
struct Bilingual {
    const char* english = "";
    const char* french = "";
    // French for "fra", English for any other code.
    const char* in(std::string_view lang) const { return lang == "fra" ? french : english; }
};

struct Description {
    std::string name;
    Role role = Role::None;
    bool pressable = false;       // its default action clicks it
    std::optional<bool> checked;  // the switch's on/off
    std::string text;             // the shown text, for the texts
    std::string tooltip;          // shown on hover, and the description
    std::string shortcut;         // the key that acts on it, as written
    std::string action;           // the default action's name; empty: none
};

// The default action's name: "Press".
std::string pressAction(std::string_view lang);
// A key as written in a tooltip: "A", "Esc", "Alt+F4"; empty for Other.
std::string keyText(keyboard::Key key, std::string_view lang);
// The switch's tooltip while the alarm rings.
std::string ringingTip(std::string_view lang);
// The notes' name once a track (a path) is chosen: "Music: Wake Up".
std::string musicName(std::string_view lang, std::string_view path);

// What assistive technology is told, as an alert, when the alarm `alarm`
// (lblAlarm) starts ringing: "Alarm 07:00 AM ringing".
std::string ringingAlert(std::string_view lang, std::string_view alarm);

// The track's name as said: the chosen file's name without folder and extension.
std::string trackName(std::string_view path);

}  // namespace accessible
