#include "clock/ControlTable.h"

#include <vector>

#include "clock/frmMain.h"
#include "ui/Texts.h"

namespace face {

namespace {

using accessible::Description;
using accessible::Role;
using keyboard::Key;

constexpr LabelLook kDisplay{96, kCyan, kBlack, Align::center};  // 72 pt
// The corner marks in light grey, so they can be seen on their black boxes.
constexpr LabelLook kCorner{32, kLightGrey, kBlack, Align::center};  // 24 pt
constexpr LabelLook kAlarm{11, kCyan, kBlack, Align::left};          // 8.25 pt
constexpr LabelLook kTrack{12, kBlack, kGrey, Align::left};          // 9 pt

// The time's text carries the day half, which has no name of its own.
void sayTime(Description& d, const frmMain& f) {
    d.text = f.lblTime.Caption;
    if (!f.lblAMPM.Caption.empty()) d.text += " " + f.lblAMPM.Caption;
}

void sayOnOff(Description& d, const frmMain& f) {
    d.checked = f.armed();
    if (f.blnAlarm) d.tooltip = accessible::ringingTip(f.strLang);
}

void sayTrack(Description& d, const frmMain& f) {
    if (!texts::isNoTrackText(f.lblTrack.Caption))
        d.name = accessible::musicName(f.strLang, f.lblTrack.Caption);
}

// The design's twips divided by 15, rounded so the pictures meet the background.
constexpr std::array<ControlRow, kControlCount> kRows{{
    {.id = Control::bg,
     .name = "bg",
     .picture = &frmMain::bg,
     .rect = {0, 0, geometry::kWidthPx, geometry::kHeightPx}},
    {.id = Control::lblTime,
     .name = "lblTime",
     .label = &frmMain::lblTime,
     .rect = {104, 144, 339, 97},
     .look = kDisplay,
     .said = {Role::Label, {"Time", "Heure"}, {}, sayTime},
     .order = 6},
    {.id = Control::lblAMPM,
     .name = "lblAMPM",
     .label = &frmMain::lblAMPM,
     .rect = {456, 144, 105, 97},
     .look = kDisplay},
    {.id = Control::lblClose,
     .name = "lblClose",
     .label = &frmMain::lblClose,
     .rect = {580, 3, 16, 31},
     .look = kCorner,
     .said = {Role::Button, {"Close", "Fermer"}, {"Close", "Fermer"}},
     .key = Key::F4,
     .click = &frmMain::lblClose_Click,
     .order = 5},
    {.id = Control::lblMinimize,
     .name = "lblMinimize",
     .label = &frmMain::lblMinimize,
     .rect = {560, 3, 16, 31},
     .look = kCorner,
     .said = {Role::Button, {"Hide", "Masquer"}, {"Hide", "Masquer"}},
     .key = Key::Escape,
     .click = &frmMain::lblMinimize_Click,
     .order = 4},
    {.id = Control::butSong,
     .name = "butSong",
     .picture = &frmMain::butSong,
     .rect = {33, 128, 24, 47}},
    {.id = Control::butBuzz,
     .name = "butBuzz",
     .picture = &frmMain::butBuzz,
     .rect = {60, 129, 29, 46}},
    {.id = Control::butTrack,
     .name = "butTrack",
     .picture = &frmMain::butTrack,
     .rect = {80, 64, 25, 25},
     .said = {Role::Button,
              {"Choose music", "Choisir la musique"},
              {"Choose the alarm music, or go back to the beep",
               "Choisir la musique de l'alarme, ou revenir au bip"},
              sayTrack},
     .key = Key::M,
     .click = &frmMain::butTrack_Click,
     .order = 2},
    {.id = Control::lblTrack,
     .name = "lblTrack",
     .label = &frmMain::lblTrack,
     .rect = {112, 72, 433, 16},
     .look = kTrack,
     .said = {Role::Label, {"Alarm track", "Musique de l'alarme"}},
     .order = 8},
    {.id = Control::butSettings,
     .name = "butSettings",
     .picture = &frmMain::butSettings,
     .rect = {48, 37, 27, 27},
     .said = {Role::Button,
              {"Language: English", "Langue : français"},
              {"Switch to French", "Passer en anglais"}},
     .key = Key::L,
     .click = &frmMain::butSettings_Click,
     .order = 3},
    {.id = Control::butOnOff,
     .name = "butOnOff",
     .picture = &frmMain::butOnOff,
     .rect = {24, 64, 50, 25},
     .said = {Role::ToggleButton,
              {"Alarm", "Alarme"},
              {"Switch the alarm on or off", "Activer ou arrêter l'alarme"},
              sayOnOff},
     .key = Key::A,
     .click = &frmMain::butOnOff_Click,
     .order = 1},
    {.id = Control::lblAlarm,
     .name = "lblAlarm",
     .label = &frmMain::lblAlarm,
     .rect = {96, 112, 89, 25},
     .look = kAlarm,
     .said = {Role::Label, {"Alarm time", "Heure de l'alarme"}},
     .order = 7},
}};

// The controls of the rows that `take` accepts, in the rows' `order`.
template <typename Take>
std::vector<Control> inOrder(Take take) {
    std::vector<const ControlRow*> rows;
    for (const ControlRow& row : kRows)
        if (row.order > 0 && take(row)) rows.push_back(&row);
    std::stable_sort(rows.begin(), rows.end(),
                     [](const ControlRow* a, const ControlRow* b) { return a->order < b->order; });
    std::vector<Control> result(rows.size());
    std::transform(rows.begin(), rows.end(), result.begin(),
                   [](const ControlRow* row) { return row->id; });
    return result;
}

}  // namespace

std::span<const ControlRow> controls() {
    return kRows;
}

const ControlRow& rowOf(Control control) {
    return kRows[static_cast<size_t>(control)];
}

std::span<const Control> described() {
    static const std::vector<Control> all =
        inOrder([](const ControlRow& row) { return row.said.role != Role::None; });
    return all;
}

bool Pointer::press(Control control) {
    m_pressed = control;
    m_dragging = control == Control::bg;
    return m_dragging;
}

Pointer::Release Pointer::release(Control under, int button) {
    Release result;
    result.endsDrag = m_dragging;
    if (!m_dragging && button == kLeftButton && m_pressed == under && rowOf(under).pressable())
        result.click = under;
    m_pressed.reset();
    m_dragging = false;
    return result;
}

bool Pointer::lose() {
    const bool wasDragging = m_dragging;
    m_pressed.reset();
    m_dragging = false;
    return wasDragging;
}

}  // namespace face

namespace keyboard {

std::span<const Control> focusOrder() {
    static const std::vector<Control> order =
        face::inOrder([](const face::ControlRow& row) { return row.pressable(); });
    return order;
}

Control nextFocus(std::optional<Control> from, bool backwards) {
    const std::span<const Control> order = focusOrder();
    const auto count = static_cast<long>(order.size());
    const auto found = from ? std::find(order.begin(), order.end(), *from) : order.end();
    if (found == order.end()) return backwards ? order.back() : order.front();
    const long at = found - order.begin();
    const long to = (at + (backwards ? count - 1 : 1)) % count;
    return order[static_cast<size_t>(to)];
}

Response respond(const KeyPress& press, std::optional<Control> focused) {
    const Command command = commandFor(press);
    switch (command) {
        case Command::None:
            break;
        case Command::FocusNext:
        case Command::FocusPrevious:
            return {true, nextFocus(focused, command == Command::FocusPrevious), std::nullopt};
        case Command::ActivateFocused:
            return {true, focused, focused};
        case Command::Shortcut:
            for (const face::ControlRow& row : face::controls())
                if (row.key == press.key && row.pressable()) return {true, focused, row.id};
            break;
    }
    return {false, focused, std::nullopt};
}

}  // namespace keyboard
