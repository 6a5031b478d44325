#include "ui/Texts.h"

namespace texts {

namespace {

std::string exampleLine(std::string_view lang) {
    if (lang == "eng") return "ex: 07:00 AM, 12:00 PM, 18:00 (no AM / PM)";
    if (lang == "fra") return "ex: 07:00 AM, 12:00 PM, 18:00 (aucun AM / PM)";
    return {};
}

}  // namespace

std::string alarmPrompt(std::string_view lang) {
    if (lang == "eng")
        return std::string("Please enter a time to set for alarm:") + crlf + crlf +
               exampleLine(lang);
    if (lang == "fra")
        return std::string("Entrez l'heure pour sonnerie:") + crlf + crlf + exampleLine(lang);
    return {};
}

std::string notATimeMessage(std::string_view lang) {
    if (lang == "eng")
        return std::string("This is not a time the alarm can ring at.") + crlf + crlf +
               exampleLine(lang);
    if (lang == "fra")
        return std::string("Ce n'est pas une heure de sonnerie valable.") + crlf + crlf +
               exampleLine(lang);
    return {};
}

std::string languageQuestion(std::string_view lang) {
    if (lang == "eng")
        return std::string("Change language to French?") + crlf + crlf +
               "Changez de Language \u00e0 Fran\u00e7ais?";
    if (lang == "fra")
        return std::string("Change language to English?") + crlf + crlf +
               "Changez de Language \u00e0 Anglais?";
    return {};
}

std::string noTrackText(std::string_view lang) {
    if (lang == "eng") return noTrackEng;
    if (lang == "fra") return noTrackFra;
    return {};
}

bool isNoTrackText(std::string_view caption) {
    return caption == noTrackEng || caption == noTrackFra;
}

}  // namespace texts
