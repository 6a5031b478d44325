#pragma once
// The window's controls as plain data. The front end draws them after every
// event; the core reads and writes them as the clock's state.

#include <string>
#include <vector>

struct Label {
    std::string Caption{};
    std::string FontName{};
    bool FontBold = true;
    bool Visible = true;
    friend bool operator==(const Label&, const Label&) = default;
};

// A picture, a picture button or a picture holder; `Picture` names an image file
// of the application folder (empty: none).
struct PictureControl {
    std::string Picture{};
    std::string Tag{};
    bool Visible = true;
    friend bool operator==(const PictureControl&, const PictureControl&) = default;
};

// The tag of the on/off switch: whether the alarm is armed.
namespace onOffTag {
inline constexpr const char* off = "0";
inline constexpr const char* on = "1";
}  // namespace onOffTag

struct Timer {
    bool Enabled = false;
    int Interval = 0;
};

// A drop-down list with its text field.
struct ComboList {
    std::vector<std::string> List{};
    std::string Text{};
};

// Picture file names, as laid beside the executable.
namespace pictures {
inline constexpr const char* bg = "bg.jpg";
inline constexpr const char* on = "on.jpg";
inline constexpr const char* off = "off.jpg";
inline constexpr const char* settings = "settings.jpg";
inline constexpr const char* track = "track.jpg";
inline constexpr const char* buzz = "buzz.jpg";
inline constexpr const char* song = "song.jpg";
inline constexpr const char* icon = "icon.ico";
}  // namespace pictures
