#pragma once
// What a screen reader is told about each part of the window, and the
// tooltips, in the clock's language: names, roles, the switch's state, the
// shown texts and the keys. The front ends hand these to the platform's
// accessibility (AT-SPI through Qt, Active Accessibility on Windows).

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "ui/Face.h"

namespace accessible {

// The controls a screen reader meets, in its order: the keyboard's five in
// Tab's order, then the time, the alarm time and the track. The others (the
// background, the day half, which the time's text carries, the lit switches)
// are pictures with nothing to say.
inline constexpr std::array<face::Control, 8> described{
    face::Control::butOnOff,    face::Control::butTrack, face::Control::butSettings,
    face::Control::lblMinimize, face::Control::lblClose, face::Control::lblTime,
    face::Control::lblAlarm,    face::Control::lblTrack};

enum class Role { ToggleButton, Button, Label };

// What the window shows now, as the front end reads it off the form.
struct Shown {
    std::string_view lang;          // strLang
    bool armed = false;             // the switch is ON
    bool ringing = false;           // blnAlarm
    std::string_view trackCaption;  // lblTrack: a path or a no-track text
    std::string_view time;          // lblTime
    std::string_view dayHalf;       // lblAMPM
    std::string_view alarm;         // lblAlarm
};

struct Description {
    std::string name;
    Role role = Role::Label;
    std::optional<bool> checked;  // the switch's on/off
    std::string text;             // the shown text, for the texts
    std::string tooltip;          // shown on hover, and the description
    std::string shortcut;         // the key that acts on it, as written
    std::string action;           // the default action's name; empty: none
};

// One of the described controls; an empty name for any other.
Description describe(face::Control control, const Shown& shown);

// What assistive technology is told, as an alert, when the alarm `alarm`
// (lblAlarm) starts ringing: "Alarm 07:00 AM ringing".
std::string ringingAlert(std::string_view lang, std::string_view alarm);

// The track's name as said: the chosen file's name without folder and extension.
std::string trackName(std::string_view path);

}  // namespace accessible
