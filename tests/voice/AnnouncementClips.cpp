// Prints the English announcements of a sample of times of day, one a line:
// the time as the clock shows it, a tab, and the clips the ringing clock plays
// for it, in order (hour, minutes, day half, wake-up call). Then the switch-on
// and switch-off clips, one line each. The voice test turns these lists into
// sound from the committed clips and has a speech recogniser listen.
//
// The sample: every hour of both day halves at minute 00 and at five more
// minutes, which together run through 01 to 59 about twice (144 times).

#include <cstdio>
#include <string>

#include "clock/TimeText.h"
#include "lang/Languages.h"
#include "speech/SpokenTime.h"

namespace {

void printLine(const std::string& label, const ClipList& clips) {
    std::string line = label + '\t';
    for (std::size_t i = 0; i < clips.size(); ++i) line += (i ? " " : "") + clips[i];
    std::puts(line.c_str());
}

}  // namespace

int main() {
    const std::string lang = "eng";
    const Language* english = findLanguage(lang);
    constexpr int kMinutesPerHour = 6;
    int slot = 0;  // counts the sample's minutes other than 00
    for (const char* dayHalf : {"AM", "PM"}) {
        for (int hour = 1; hour <= 12; ++hour) {
            for (int i = 0; i < kMinutesPerHour; ++i) {
                const int minute = i == 0 ? 0 : 1 + (slot++ * 7) % 59;
                char timeText[16];
                std::snprintf(timeText, sizeof timeText, "%d:%02d:00", hour, minute);
                // As the ringing clock speaks a new minute: hour, minutes, day half, wake-up.
                ClipList clips = hourClips(hourKey(getHourPart(timeText), dayHalf, lang), lang);
                for (const std::string& clip :
                     minuteClips(numberKey(getMinutePart(timeText)), lang))
                    clips.push_back(clip);
                clips.push_back(amPmClip(dayHalf));
                clips.push_back(std::string(english->wakeUpClip));
                printLine(std::string(timeText).substr(0, std::string(timeText).size() - 3) + ' ' +
                              dayHalf,
                          clips);
            }
        }
    }
    printLine("switched on", {std::string(english->switchedOnClip)});
    printLine("switched off", {std::string(english->switchedOffClip)});
}
