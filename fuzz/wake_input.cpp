// Fuzzes what the wake helper accepts on its standard input: a due time is
// exactly the decimal text of a positive 64-bit count with one line feed,
// which writes back the same; everything else is refused.

#include <charconv>
#include <string>

#include "FuzzCheck.h"
#include "wakehelper/WakeInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = asText(data, size);
    const std::optional<long long> due = wakeinput::parseDueTime(text);

    // The reference reading: digits, no sign, no leading zero, a line feed, in range.
    long long value = 0;
    const bool lineFed = !text.empty() && text.back() == '\n';
    const std::string_view digits = lineFed ? text.substr(0, text.size() - 1) : text;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    const bool expected = lineFed && !digits.empty() && digits.front() >= '1' &&
                          digits.front() <= '9' && error == std::errc() &&
                          end == digits.data() + digits.size();
    FUZZ_CHECK(due.has_value() == expected);
    if (!due) return 0;
    FUZZ_CHECK(*due == value && *due > 0);
    FUZZ_CHECK(std::to_string(*due) + "\n" == text);
    FUZZ_CHECK(text.size() <= wakeinput::kLongestLine);
    return 0;
}
