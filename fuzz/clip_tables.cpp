// Fuzzes the clip-table lookups with any language code and any key: a table
// answers only for its own keys in the two languages, and every answer is a
// short run of plain clip file names.

#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <string>

#include "FuzzCheck.h"
#include "clock/TimeText.h"
#include "speech/SpokenTime.h"

namespace {

bool isKeyBetween(std::string_view key, int low, int high) {
    for (int n = low; n <= high; ++n)
        if (key == std::to_string(n)) return true;
    return false;
}

bool isClipName(std::string_view clip) {
    return clip.size() > 4 && clip.substr(clip.size() - 4) == ".wav" &&
           clip.find_first_of("/\\:") == std::string_view::npos;
}

void checkClips(const ClipList& clips, bool answers, std::size_t most) {
    FUZZ_CHECK(clips.empty() == !answers);
    FUZZ_CHECK(clips.size() <= most);
    for (const std::string& clip : clips) FUZZ_CHECK(isClipName(clip));
}

std::string lowerCase(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    std::string lang;
    switch (input.ConsumeIntegralInRange(0, 2)) {
        case 0:
            lang = "eng";
            break;
        case 1:
            lang = "fra";
            break;
        default:
            lang = input.ConsumeRandomLengthString(8);
    }
    const int keyForm = input.ConsumeIntegralInRange(0, 2);
    const int number = input.ConsumeIntegralInRange(-5, 70);
    const std::string text = input.ConsumeRemainingBytesAsString();
    // A raw key, the key the clock makes of a time text, or a number near the tables.
    const std::string key = keyForm == 0   ? text
                            : keyForm == 1 ? numberKey(getHourPart(text))
                                           : std::to_string(number);

    const bool known = lang == "eng" || lang == "fra";
    const std::optional<std::string> folder = clipFolder(lang);
    FUZZ_CHECK(folder.has_value() == known);
    if (folder) {
        FUZZ_CHECK(folder->find("sounds") != std::string::npos);
        FUZZ_CHECK(folder->find(lang == "eng" ? "en" : "fr") != std::string::npos);
        FUZZ_CHECK(folder->size() >= 2 &&
                   !std::isalnum(static_cast<unsigned char>(folder->front())) &&
                   !std::isalnum(static_cast<unsigned char>(folder->back())));
    }
    checkClips(hourClips(key, lang), known && isKeyBetween(key, 0, 24), 4);
    checkClips(minuteClips(key, lang), known && isKeyBetween(key, 1, 59), 3);
    // The same key in the other language answers for the same keys.
    if (known) {
        const std::string other = lang == "eng" ? "fra" : "eng";
        FUZZ_CHECK(hourClips(key, other).empty() == hourClips(key, lang).empty());
        FUZZ_CHECK(minuteClips(key, other).empty() == minuteClips(key, lang).empty());
    }

    const std::string clip = amPmClip(text);
    const std::string lower = lowerCase(text);
    FUZZ_CHECK(clip == (lower == "am" ? "am.wav" : lower == "pm" ? "pm.wav" : ""));
    return 0;
}
