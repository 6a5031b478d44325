// The hour, minute and day-half clip tables, written out row by row.

#include "speech/SpokenTime.h"

#include <array>
#include <filesystem>

#include "lang/Languages.h"

namespace {

constexpr char separator = static_cast<char>(std::filesystem::path::preferred_separator);

struct Row {
    const char* key;
    ClipList english;
    ClipList french;
};

// Rows in the order they are tried: "1" to "24", then "0".
const std::array<Row, 25>& hourTable() {
    static const std::array<Row, 25> table{{
        {"1", {"one.wav"}, {"une.wav", "heure.wav"}},
        {"2", {"two.wav"}, {"deux.wav", "heure.wav"}},
        {"3", {"three.wav"}, {"trois.wav", "heure.wav"}},
        {"4", {"four.wav"}, {"quatre.wav", "heure.wav"}},
        {"5", {"five.wav"}, {"cinq.wav", "heure.wav"}},
        {"6", {"six.wav"}, {"six.wav", "heure.wav"}},
        {"7", {"seven.wav"}, {"sept.wav", "heure.wav"}},
        {"8", {"eight.wav"}, {"huit.wav", "heure.wav"}},
        {"9", {"nine.wav"}, {"neuf.wav", "heure.wav"}},
        {"10", {"ten.wav"}, {"dix.wav", "heure.wav"}},
        {"11", {"eleven.wav"}, {"onze.wav", "heure.wav"}},
        {"12", {"twelve.wav"}, {"midi.wav"}},
        {"13", {"one.wav", "o_clock.wav"}, {"treize.wav", "heure.wav"}},
        {"14", {"two.wav", "o_clock.wav"}, {"quatorze.wav", "heure.wav"}},
        {"15", {"three.wav", "o_clock.wav"}, {"quinze.wav", "heure.wav"}},
        {"16", {"four.wav", "o_clock.wav"}, {"seize.wav", "heure.wav"}},
        {"17", {"five.wav", "o_clock.wav"}, {"dix.wav", "sept.wav", "heure.wav"}},
        {"18", {"six.wav", "o_clock.wav"}, {"dix.wav", "huit.wav", "heure.wav"}},
        {"19", {"seven.wav", "o_clock.wav"}, {"dix.wav", "neuf.wav", "heure.wav"}},
        {"20", {"eight.wav", "o_clock.wav"}, {"vingt.wav", "heure.wav"}},
        {"21", {"nine.wav", "o_clock.wav"}, {"vingt.wav", "et.wav", "une.wav", "heure.wav"}},
        {"22", {"ten.wav", "o_clock.wav"}, {"vingt.wav", "deux.wav", "heure.wav"}},
        {"23", {"eleven.wav", "o_clock.wav"}, {"vingt.wav", "trois.wav", "heure.wav"}},
        {"24", {"twelve.wav", "o_clock.wav"}, {"minuit.wav"}},
        {"0", {"twelve.wav", "o_clock.wav"}, {"minuit.wav"}},
    }};
    return table;
}

const std::array<Row, 59>& minuteTable() {
    static const std::array<Row, 59> table{{
        {"1", {"zero.wav", "one.wav"}, {"et.wav", "un.wav"}},
        {"2", {"zero.wav", "two.wav"}, {"et.wav", "deux.wav"}},
        {"3", {"zero.wav", "three.wav"}, {"et.wav", "trois.wav"}},
        {"4", {"zero.wav", "four.wav"}, {"et.wav", "quatre.wav"}},
        {"5", {"zero.wav", "five.wav"}, {"et.wav", "cinq.wav"}},
        {"6", {"zero.wav", "six.wav"}, {"et.wav", "six.wav"}},
        {"7", {"zero.wav", "seven.wav"}, {"et.wav", "sept.wav"}},
        {"8", {"zero.wav", "eight.wav"}, {"et.wav", "huit.wav"}},
        {"9", {"zero.wav", "nine.wav"}, {"et.wav", "neuf.wav"}},
        {"10", {"ten.wav"}, {"dix.wav"}},
        {"11", {"eleven.wav"}, {"onze.wav"}},
        {"12", {"twelve.wav"}, {"douze.wav"}},
        {"13", {"thirteen.wav"}, {"treize.wav"}},
        {"14", {"fourteen.wav"}, {"quatorze.wav"}},
        {"15", {"fifteen.wav"}, {"quinze.wav"}},
        {"16", {"sixteen.wav"}, {"seize.wav"}},
        {"17", {"seventeen.wav"}, {"dix.wav", "sept.wav"}},
        {"18", {"eighteen.wav"}, {"dix.wav", "huit.wav"}},
        {"19", {"nineteen.wav"}, {"dix.wav", "neuf.wav"}},
        {"20", {"twenty.wav"}, {"vingt.wav"}},
        {"21", {"twenty.wav", "one.wav"}, {"vingt.wav", "et.wav", "un.wav"}},
        {"22", {"twenty.wav", "two.wav"}, {"vingt.wav", "deux.wav"}},
        {"23", {"twenty.wav", "three.wav"}, {"vingt.wav", "trois.wav"}},
        {"24", {"twenty.wav", "four.wav"}, {"vingt.wav", "quatre.wav"}},
        {"25", {"twenty.wav", "five.wav"}, {"vingt.wav", "cinq.wav"}},
        {"26", {"twenty.wav", "six.wav"}, {"vingt.wav", "six.wav"}},
        {"27", {"twenty.wav", "seven.wav"}, {"vingt.wav", "sept.wav"}},
        {"28", {"twenty.wav", "eight.wav"}, {"vingt.wav", "huit.wav"}},
        {"29", {"twenty.wav", "nine.wav"}, {"vingt.wav", "neuf.wav"}},
        {"30", {"thirty.wav"}, {"trente.wav"}},
        {"31", {"thirty.wav", "one.wav"}, {"trente.wav", "et.wav", "un.wav"}},
        {"32", {"thirty.wav", "two.wav"}, {"trente.wav", "deux.wav"}},
        {"33", {"thirty.wav", "three.wav"}, {"trente.wav", "trois.wav"}},
        {"34", {"thirty.wav", "four.wav"}, {"trente.wav", "quatre.wav"}},
        {"35", {"thirty.wav", "five.wav"}, {"trente.wav", "cinq.wav"}},
        {"36", {"thirty.wav", "six.wav"}, {"trente.wav", "six.wav"}},
        {"37", {"thirty.wav", "seven.wav"}, {"trente.wav", "sept.wav"}},
        {"38", {"thirty.wav", "eight.wav"}, {"trente.wav", "huit.wav"}},
        {"39", {"thirty.wav", "nine.wav"}, {"trente.wav", "neuf.wav"}},
        {"40", {"fourty.wav"}, {"quarante.wav"}},
        {"41", {"fourty.wav", "one.wav"}, {"quarante.wav", "et.wav", "un.wav"}},
        {"42", {"fourty.wav", "two.wav"}, {"quarante.wav", "deux.wav"}},
        {"43", {"fourty.wav", "three.wav"}, {"quarante.wav", "trois.wav"}},
        {"44", {"fourty.wav", "four.wav"}, {"quarante.wav", "quatre.wav"}},
        {"45", {"fourty.wav", "five.wav"}, {"quarante.wav", "cinq.wav"}},
        {"46", {"fourty.wav", "six.wav"}, {"quarante.wav", "six.wav"}},
        {"47", {"fourty.wav", "seven.wav"}, {"quarante.wav", "sept.wav"}},
        {"48", {"fourty.wav", "eight.wav"}, {"quarante.wav", "huit.wav"}},
        {"49", {"fourty.wav", "nine.wav"}, {"quarante.wav", "neuf.wav"}},
        {"50", {"fifty.wav"}, {"cinquante.wav"}},
        {"51", {"fifty.wav", "one.wav"}, {"cinquante.wav", "et.wav", "un.wav"}},
        {"52", {"fifty.wav", "two.wav"}, {"cinquante.wav", "deux.wav"}},
        {"53", {"fifty.wav", "three.wav"}, {"cinquante.wav", "trois.wav"}},
        {"54", {"fifty.wav", "four.wav"}, {"cinquante.wav", "quatre.wav"}},
        {"55", {"fifty.wav", "five.wav"}, {"cinquante.wav", "cinq.wav"}},
        {"56", {"fifty.wav", "six.wav"}, {"cinquante.wav", "six.wav"}},
        {"57", {"fifty.wav", "seven.wav"}, {"cinquante.wav", "sept.wav"}},
        {"58", {"fifty.wav", "eight.wav"}, {"cinquante.wav", "huit.wav"}},
        {"59", {"fifty.wav", "nine.wav"}, {"cinquante.wav", "neuf.wav"}},
    }};
    return table;
}

template <std::size_t N>
ClipList lookUp(const std::array<Row, N>& table, std::string_view key, std::string_view lang) {
    if (lang != "eng" && lang != "fra") return {};
    for (const Row& row : table)
        if (key == row.key) return lang == "eng" ? row.english : row.french;
    return {};
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

std::optional<std::string> clipFolder(std::string_view lang) {
    const Language* language = findLanguage(lang);
    if (!language) return std::nullopt;
    return std::string(1, separator) + "sounds" + separator + std::string(language->clipFolder) +
           separator;
}

std::string numberKey(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && isBlank(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';

    std::string whole;
    while (at < text.size() && isDigit(text[at])) whole += text[at++];
    std::string fraction;
    // A point continues the number only when a digit follows it.
    if (at + 1 < text.size() && text[at] == '.' && isDigit(text[at + 1])) {
        ++at;
        while (at < text.size() && isDigit(text[at])) fraction += text[at++];
    }

    // Plain decimal form: no leading zeros, no trailing zeros after the point,
    // no point without a fraction, no sign on zero.
    whole.erase(0, whole.find_first_not_of('0'));
    if (whole.empty()) whole = "0";
    fraction.erase(fraction.find_last_not_of('0') + 1);
    std::string key = fraction.empty() ? whole : whole + "." + fraction;
    if (negative && key != "0") key.insert(0, 1, '-');
    return key;
}

std::string hourKey(std::string_view hourText, std::string_view dayHalf, std::string_view lang) {
    std::string key = numberKey(hourText);
    if (lang == "fra" && key == "12" && dayHalf == "AM") return "0";
    return key;
}

ClipList hourClips(std::string_view key, std::string_view lang) {
    return lookUp(hourTable(), key, lang);
}

ClipList minuteClips(std::string_view key, std::string_view lang) {
    return lookUp(minuteTable(), key, lang);
}

std::string amPmClip(std::string_view dayHalf) {
    std::string lower(dayHalf);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (lower == "am") return "am.wav";
    if (lower == "pm") return "pm.wav";
    return "";
}
