#include "clock/RestartLine.h"

#include <algorithm>
#include <array>

#include "clock/AlarmTime.h"
#include "lang/Languages.h"

namespace {

constexpr std::array kOptions = {
    RestartOption{"alarm", "time",
                  "Starts with the alarm armed for this time (07:00 AM, 18:00), as if set with "
                  "the ON/OFF switch."},
    RestartOption{"track", "file", "Starts with this music file chosen for the alarm."},
    RestartOption{"language", "code", "Starts in this language: eng (English) or fra (French)."},
};

bool hasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

// Why `value` cannot be used for the option, or empty.
std::string refusal(std::string_view name, std::string_view value) {
    if (value.empty()) return "option '--" + std::string(name) + "' needs a value";
    if (hasControlCharacter(value))
        return "option '--" + std::string(name) + "': the value holds a control character";
    if (name == "alarm" && !parseAlarmTime(value))
        return "option '--alarm': '" + std::string(value) + "' is not a time (07:00 AM, 18:00)";
    if (name == "language" && !findLanguage(value))
        return "option '--language': '" + std::string(value) + "' is not eng or fra";
    return {};
}

template <typename State>
auto* field(State& state, std::string_view name) {
    if (name == "track") return &state.track;
    if (name == "language") return &state.language;
    return &state.alarm;
}

}  // namespace

std::span<const RestartOption> restartOptions() {
    return kOptions;
}

RestartParse parseRestartArguments(std::span<const std::string> arguments) {
    RestartParse result;
    std::array<bool, kOptions.size()> seen{};
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (!argument.starts_with("--") || argument.size() == 2) {
            result.error = "unexpected argument '" + std::string(argument) + "'";
            return result;
        }
        const size_t equals = argument.find('=');
        const std::string_view name = argument.substr(
            2, equals == std::string_view::npos ? std::string_view::npos : equals - 2);
        const auto option = std::find_if(kOptions.begin(), kOptions.end(),
                                         [name](const RestartOption& o) { return o.name == name; });
        if (option == kOptions.end()) {
            result.error = "unknown option '--" + std::string(name) + "'";
            return result;
        }
        bool& given = seen[static_cast<size_t>(option - kOptions.begin())];
        if (given) {
            result.error = "option '--" + std::string(name) + "' is given twice";
            return result;
        }
        given = true;
        std::string_view value;
        if (equals != std::string_view::npos)
            value = argument.substr(equals + 1);
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        result.error = refusal(name, value);
        if (!result.error.empty()) return result;
        *field(result.state, name) = std::string(value);
    }
    return result;
}

std::vector<std::string> restartArguments(const RestartState& state) {
    std::vector<std::string> arguments;
    // "--name=value": a value that starts with "-" stays the option's.
    for (const RestartOption& option : kOptions) {
        const std::string& value = *field(state, option.name);
        if (!value.empty()) arguments.push_back("--" + std::string(option.name) + "=" + value);
    }
    return arguments;
}

std::string windowsCommandLine(std::span<const std::string> arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty()) line += ' ';
        if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
            line += argument;
            continue;
        }
        // Backslashes count only before a quote: doubled there, and before the closing quote.
        line += '"';
        size_t backslashes = 0;
        for (char c : argument) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            if (c == '"') backslashes = backslashes * 2 + 1;
            line.append(backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, '\\');
        line += '"';
    }
    return line;
}
