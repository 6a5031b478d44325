#include "ui/Face.h"

namespace face {

namespace {

constexpr LabelLook kNoLook{0, 0, 0, Align::left};
constexpr LabelLook kDisplay{96, kCyan, kBlack, Align::center};  // 72 pt
// The corner marks in light grey, so they can be seen on their black boxes.
constexpr LabelLook kCorner{32, kLightGrey, kBlack, Align::center};  // 24 pt
constexpr LabelLook kAlarm{11, kCyan, kBlack, Align::left};          // 8.25 pt
constexpr LabelLook kTrack{12, kBlack, kGrey, Align::left};          // 9 pt

// The design's twips divided by 15, rounded so the pictures meet the background.
constexpr std::array<ControlFace, kControlCount> kControls{{
    {Control::bg,
     "bg",
     Kind::picture,
     {0, 0, geometry::kWidthPx, geometry::kHeightPx},
     kNoLook,
     false},
    {Control::lblTime, "lblTime", Kind::label, {104, 144, 339, 97}, kDisplay, false},
    {Control::lblAMPM, "lblAMPM", Kind::label, {456, 144, 105, 97}, kDisplay, false},
    {Control::lblClose, "lblClose", Kind::label, {580, 3, 16, 31}, kCorner, true},
    {Control::lblMinimize, "lblMinimize", Kind::label, {560, 3, 16, 31}, kCorner, true},
    {Control::butSong, "butSong", Kind::picture, {33, 128, 24, 47}, kNoLook, false},
    {Control::butBuzz, "butBuzz", Kind::picture, {60, 129, 29, 46}, kNoLook, false},
    {Control::butTrack, "butTrack", Kind::picture, {80, 64, 25, 25}, kNoLook, true},
    {Control::lblTrack, "lblTrack", Kind::label, {112, 72, 433, 16}, kTrack, false},
    {Control::butSettings, "butSettings", Kind::picture, {48, 37, 27, 27}, kNoLook, true},
    {Control::butOnOff, "butOnOff", Kind::picture, {24, 64, 50, 25}, kNoLook, true},
    {Control::lblAlarm, "lblAlarm", Kind::label, {96, 112, 89, 25}, kAlarm, false},
}};

}  // namespace

const std::array<ControlFace, kControlCount>& controls() {
    return kControls;
}

const ControlFace& faceOf(Control control) {
    return kControls[static_cast<size_t>(control)];
}

bool Pointer::press(Control control) {
    m_pressed = control;
    m_dragging = control == Control::bg;
    return m_dragging;
}

Pointer::Release Pointer::release(Control under, int button) {
    Release result;
    result.endsDrag = m_dragging;
    if (!m_dragging && button == kLeftButton && m_pressed == under && faceOf(under).clickable)
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
