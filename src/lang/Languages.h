#pragma once
// The clock's two languages, one row each: the code that strLang holds, the
// voice clip folder, the clips said on switching and ringing, and the texts.
// Every language-dependent step looks its language up here; a code that is not
// in the table ("eng" and "fra", compared exactly) makes those steps do nothing.

#include <span>
#include <string_view>

struct Language {
    std::string_view code;        // as held in strLang
    std::string_view otherCode;   // the language the settings switch offers
    std::string_view clipFolder;  // sounds/<clipFolder>/
    std::string_view switchedOnClip;
    std::string_view switchedOffClip;
    std::string_view wakeUpClip;
    std::string_view noTrackText;
    std::string_view alarmPromptLine;
    std::string_view notATimeLine;
    // Said once at arming where nothing can wake the computer from sleep.
    std::string_view cannotWakeLine;
    std::string_view exampleLine;
    // The two lines of the question that offers the other language.
    std::string_view switchQuestion;
    std::string_view switchQuestionInOther;
    std::string_view hourHeading;
    std::string_view minuteHeading;
};

std::span<const Language> languages();
// The row of a code, or null for any other code.
const Language* findLanguage(std::string_view code);
