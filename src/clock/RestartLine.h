#pragma once
// The command line that starts the clock as it was: armed for the same time,
// with the same track and language. The clock registers it for restart (after
// an update, a reboot, a session restored) and is started with it again.
// Read here, with no platform, so that every front end refuses the same values.

#include <span>
#include <string>
#include <string_view>
#include <vector>

// What a restart carries; an empty field was not given (no alarm armed, no track).
struct RestartState {
    std::string alarm;     // the alarm time as typed at arming ("07:00 AM")
    std::string track;     // the chosen music file
    std::string language;  // a language code ("eng", "fra")
    friend bool operator==(const RestartState&, const RestartState&) = default;
};

// The options, for the front ends' help texts: --alarm TIME, --track FILE, --language CODE.
struct RestartOption {
    std::string_view name;
    std::string_view valueName;
    std::string_view description;
};
std::span<const RestartOption> restartOptions();

struct RestartParse {
    RestartState state;
    std::string error;  // empty when every argument was taken
};

// Reads arguments (without the program's name): each option once, its value
// as the next argument or after "=". An unknown option, a stray argument, a
// missing value or a value the clock cannot use is refused with a reason.
RestartParse parseRestartArguments(std::span<const std::string> arguments);

// The arguments that start the clock in `state`.
std::vector<std::string> restartArguments(const RestartState& state);

// The arguments as one Windows command line, quoted so that CommandLineToArgvW
// and the C runtime read them back unchanged.
std::string windowsCommandLine(std::span<const std::string> arguments);
