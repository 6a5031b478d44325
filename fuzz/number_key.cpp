// Fuzzes the lenient number reading that turns an hour or minute part into a
// table key: any text gives a plain decimal number text that reads back as
// itself, whatever blanks, zeros or tail surround the number.

#include <algorithm>
#include <string>

#include "FuzzCheck.h"
#include "speech/SpokenTime.h"

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// "-"? digits ("." digits)? with no leading zero but a lone one, no trailing zero
// after the point, and no "-0".
bool isPlainDecimal(std::string_view key) {
    std::string_view s = key;
    if (!s.empty() && s.front() == '-') s.remove_prefix(1);
    const auto point = s.find('.');
    const std::string_view whole = s.substr(0, point);
    if (whole.empty() || !std::all_of(whole.begin(), whole.end(), isDigit)) return false;
    if (whole.size() > 1 && whole.front() == '0') return false;
    if (point != std::string_view::npos) {
        const std::string_view fraction = s.substr(point + 1);
        if (fraction.empty() || !std::all_of(fraction.begin(), fraction.end(), isDigit) ||
            fraction.back() == '0')
            return false;
    }
    return key != "-0";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(asText(data, size));
    const std::string key = numberKey(text);
    FUZZ_CHECK(!key.empty());
    FUZZ_CHECK(numberKey(key) == key);
    FUZZ_CHECK(numberKey(" " + text) == key);
    FUZZ_CHECK(numberKey(text + ":") == key);
    if (!text.empty() && isDigit(text.front())) FUZZ_CHECK(numberKey("0" + text) == key);
    FUZZ_CHECK(isPlainDecimal(key));
    return 0;
}
