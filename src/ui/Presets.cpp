#include "ui/Presets.h"

namespace {

std::vector<std::string> twoDigitRange(int first, int last) {
    std::vector<std::string> list;
    for (int n = first; n <= last; ++n) list.push_back((n < 10 ? "0" : "") + std::to_string(n));
    return list;
}

}  // namespace

std::vector<std::string> hourPresets(std::string_view dateTimeText) {
    const std::string_view tail =
        dateTimeText.size() >= 2 ? dateTimeText.substr(dateTimeText.size() - 2) : dateTimeText;
    const bool twelveHour = tail == "AM" || tail == "PM";
    return twelveHour ? twoDigitRange(1, 12) : twoDigitRange(0, 23);
}

std::vector<std::string> minutePresets() {
    return twoDigitRange(0, 59);
}
