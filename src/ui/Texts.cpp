#include "ui/Texts.h"

#include <initializer_list>

#include "lang/Languages.h"

namespace texts {

namespace {

// "first" CR LF CR LF "second", or empty for an unknown code.
std::string twoParagraphs(std::string_view lang, std::string_view Language::*first,
                          std::string_view Language::*second) {
    const Language* language = findLanguage(lang);
    if (!language) return {};
    return std::string(language->*first) + crlf + crlf + std::string(language->*second);
}

// `pattern` with each "%s" replaced by the next of `values`.
std::string filled(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string out;
    auto value = values.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern.substr(i, 2) == "%s" && value != values.end()) {
            out += *value++;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace

std::string alarmPrompt(std::string_view lang) {
    return twoParagraphs(lang, &Language::alarmPromptLine, &Language::exampleLine);
}

std::string notATimeMessage(std::string_view lang) {
    return twoParagraphs(lang, &Language::notATimeLine, &Language::exampleLine);
}

std::string cannotWakeMessage(std::string_view lang) {
    const Language* language = findLanguage(lang);
    return language ? std::string(language->cannotWakeLine) : std::string();
}

std::string languageQuestion(std::string_view lang) {
    return twoParagraphs(lang, &Language::switchQuestion, &Language::switchQuestionInOther);
}

std::string noTrackText(std::string_view lang) {
    const Language* language = findLanguage(lang);
    return language ? std::string(language->noTrackText) : std::string();
}

bool isNoTrackText(std::string_view caption) {
    for (const Language& language : languages())
        if (caption == language.noTrackText) return true;
    return false;
}

std::string missedAlarmText(std::string_view lang, std::string_view alarm, int lateMinutes) {
    const std::string minutes = std::to_string(lateMinutes);
    return filled(lang == "fra" ? "Alarme de %s manqu\u00e9e : l'horloge l'a atteinte plus de %s "
                                  "minutes en retard. L'alarme est arr\u00eat\u00e9e."
                                : "Alarm %s missed: the clock reached it more than %s minutes "
                                  "late. The alarm is off.",
                  {alarm, minutes});
}

std::string noMuteRecordText(std::string_view lang, std::string_view folder,
                             std::string_view reason) {
    return filled(lang == "fra"
                      ? "L'horloge ne peut pas \u00e9crire dans %s (%s). Si elle s'arr\u00eate "
                        "inopin\u00e9ment pendant qu'elle coupe le son, le son restera coup\u00e9."
                      : "The clock cannot write to %s (%s). Should it stop unexpectedly while it "
                        "keeps the sound muted, the sound will stay muted.",
                  {folder, reason});
}

}  // namespace texts
