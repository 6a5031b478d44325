#include "ui/AccessibleText.h"

namespace accessible {

namespace {

constexpr Bilingual kPress{"Press", "Appuyer"};
constexpr Bilingual kEscape{"Esc", "Échap"};
constexpr Bilingual kRingingTip{"Ringing until you switch it off",
                                "Sonne jusqu'à ce que vous l'arrêtiez"};
constexpr Bilingual kMusicPrefix{"Music: ", "Musique : "};
// The alert: these words, the alarm time, the next.
constexpr Bilingual kRingingBefore{"Alarm ", "L'alarme de "};
constexpr Bilingual kRingingAfter{" ringing", " sonne"};

}  // namespace

std::string pressAction(std::string_view lang) {
    return kPress.in(lang);
}

std::string keyText(keyboard::Key key, std::string_view lang) {
    using keyboard::Key;
    switch (key) {
        case Key::A:
            return "A";
        case Key::M:
            return "M";
        case Key::L:
            return "L";
        case Key::Escape:
            return kEscape.in(lang);
        case Key::F4:
            return "Alt+F4";
        default:
            return {};
    }
}

std::string ringingTip(std::string_view lang) {
    return kRingingTip.in(lang);
}

std::string musicName(std::string_view lang, std::string_view path) {
    return kMusicPrefix.in(lang) + trackName(path);
}

std::string ringingAlert(std::string_view lang, std::string_view alarm) {
    return kRingingBefore.in(lang) + std::string(alarm) + kRingingAfter.in(lang);
}

std::string trackName(std::string_view path) {
    const size_t slash = path.find_last_of("/\\");
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    const size_t dot = path.rfind('.');
    if (dot != std::string_view::npos && dot > 0) path = path.substr(0, dot);
    return std::string(path);
}

}  // namespace accessible
