#include "ui/Texts.h"

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

}  // namespace texts
