#pragma once
// What the wake helper accepts on its standard input: one due time, whole
// seconds since 1970 (UTC) in decimal digits, ended by a line feed. Nothing
// else is a due time.

#include <cstddef>
#include <optional>
#include <string_view>

namespace wakeinput {

// The longest line accepted, line feed included: 19 digits and the line feed.
inline constexpr std::size_t kLongestLine = 20;

// The due time of `line` when it is exactly digits then one line feed, with
// no leading zero (so never 0, which would disarm a timer) and within a
// 64-bit count of seconds; none otherwise.
std::optional<long long> parseDueTime(std::string_view line);

}  // namespace wakeinput
