#include "wakehelper/WakeInput.h"

#include <limits>

namespace wakeinput {

std::optional<long long> parseDueTime(std::string_view line) {
    if (line.size() < 2 || line.size() > kLongestLine || line.back() != '\n') return std::nullopt;
    const std::string_view digits = line.substr(0, line.size() - 1);
    if (digits.front() == '0') return std::nullopt;
    long long value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        const int digit = c - '0';
        if (value > (std::numeric_limits<long long>::max() - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace wakeinput
