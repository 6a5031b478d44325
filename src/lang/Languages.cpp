#include "lang/Languages.h"

#include <array>

namespace {

constexpr std::array<Language, 2> kLanguages{{
    {
        .code = "eng",
        .otherCode = "fra",
        .clipFolder = "en",
        .switchedOnClip = "alarm_set.wav",
        .switchedOffClip = "alarm_off.wav",
        .wakeUpClip = "wake_up.wav",
        .noTrackText = "No Track Selected",
        .alarmPromptLine = "Please enter a time to set for alarm:",
        .notATimeLine = "This is not a time the alarm can ring at.",
        .cannotWakeLine = "The computer cannot be woken for the alarm: keep it awake until then.",
        .exampleLine = "ex: 07:00 AM, 12:00 PM, 18:00 (no AM / PM)",
        .switchQuestion = "Change language to French?",
        .switchQuestionInOther = "Changez de Language \u00e0 Fran\u00e7ais?",
        .hourHeading = "Hour",
        .minuteHeading = "Minute",
    },
    {
        .code = "fra",
        .otherCode = "eng",
        .clipFolder = "fr",
        .switchedOnClip = "sonnerie_active.wav",
        .switchedOffClip = "sonnerie_deactive.wav",
        .wakeUpClip = "reveille.wav",
        .noTrackText = "Aucune Chanson S\u00e9lection\u00e9e",
        .alarmPromptLine = "Entrez l'heure pour sonnerie:",
        .notATimeLine = "Ce n'est pas une heure de sonnerie valable.",
        .cannotWakeLine = "L'ordinateur ne peut pas \u00eatre r\u00e9veill\u00e9 pour l'alarme : "
                          "gardez-le allum\u00e9 jusque-l\u00e0.",
        .exampleLine = "ex: 07:00 AM, 12:00 PM, 18:00 (aucun AM / PM)",
        .switchQuestion = "Change language to English?",
        .switchQuestionInOther = "Changez de Language \u00e0 Anglais?",
        .hourHeading = "Heure",
        .minuteHeading = "Minute",
    },
}};

}  // namespace

std::span<const Language> languages() {
    return kLanguages;
}

const Language* findLanguage(std::string_view code) {
    for (const Language& language : kLanguages)
        if (language.code == code) return &language;
    return nullptr;
}
