// Fuzzes arming with any typed text. The clock is armed, runs through its alarm
// minute in steps of one to 59 seconds and is switched off (between ticks, or
// from inside an announcement), then runs on and closes; in either language,
// with or without a track, a sound server or a playable track. The alarm's
// rules are checked after every step. The clock steps forward one to 59 seconds
// between ticks.

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "FuzzCheck.h"
#include "clock/AlarmTime.h"
#include "support/ClockRig.h"

namespace {

constexpr int kSteps = 16;
constexpr int kStepSeconds[] = {1, 7, 30, 59};
const std::string kTrack = "/music/song.mp3";
const std::string kBeep = "/app/sounds/beep.wav";

struct Choices {
    bool french, track, nearAlarm, offInAnnouncement, offEarly, noServer, trackFails;
    int offAtStep;
    int start;  // second of the day the clock starts at
    int back;   // seconds before the alarm minute, when starting near it
    uint32_t steps;
};

class Run {
  public:
    Run(const Choices& c, const std::string& text)
        : m_c(c), m_text(text), m_alarm(parseAlarmTime(text)) {}

    void go() {
        if (m_c.nearAlarm && m_alarm)
            m_start = ((*m_alarm * 60 - m_c.back) % 86400 + 86400) % 86400;
        else
            m_start = m_c.start;
        rig = std::make_unique<ClockRig>(m_start / 3600, m_start / 60 % 60, m_start % 60);
        rig->endpoints.available = !m_c.noServer;
        if (m_c.french) {
            rig->dialogs.answers.push_back(Dialogs::Yes);
            rig->form.butSettings_Click();
            FUZZ_CHECK(rig->form.strLang == "fra");
        }
        if (m_c.track) {
            rig->dialogs.files.push_back(kTrack);
            rig->form.butTrack_Click();
        }
        arm();
        for (int step = 0; step < kSteps; ++step) {
            if (m_c.offEarly && step == m_c.offAtStep && form().butOnOff.Tag == "1") switchOff();
            tick(kStepSeconds[(m_c.steps >> (2 * step)) & 3]);
        }
        if (form().butOnOff.Tag == "1") switchOff();
        // A stale mute timer and a late player error change nothing once off.
        form().tmrSet_Timer();
        form().wmp_Error();
        checkAfterOff();
        for (int step = 0; step < kSteps; ++step) tick(kStepSeconds[(m_c.steps >> (2 * step)) & 3]);
        form().Form_Unload();
        FUZZ_CHECK(rig->endpoints.muted == 0);
        FUZZ_CHECK(rig->endpoints.objectsAlive == 0);
        scanLog();
    }

  private:
    frmMain& form() { return rig->form; }

    void arm() {
        rig->arm(m_text);
        const bool accepted = !m_text.empty() && m_alarm.has_value();
        FUZZ_CHECK(form().strAlarm == m_text);
        FUZZ_CHECK(form().butOnOff.Tag == (accepted ? "1" : "0"));
        FUZZ_CHECK(rig->logged("message Set Alarm") == (!m_text.empty() && !accepted));
        FUZZ_CHECK(!form().tmrSet.Enabled);
        if (accepted) {
            m_armed = true;
            FUZZ_CHECK(form().lblAlarm.Caption == m_text);
            FUZZ_CHECK(form().butOnOff.Picture == form().imgOn.Picture);
            FUZZ_CHECK(rig->endpoints.muted == (m_c.noServer ? 0 : 1));
            if (m_c.offInAnnouncement) rig->onEvents = [this] { form().butOnOff_Click(); };
        } else {
            FUZZ_CHECK(rig->endpoints.muted == 0);
        }
        checkState();
    }

    void tick(int seconds) {
        const bool wasRinging = form().blnAlarm;
        m_elapsed += seconds;
        // One tick after the step, as when the program was held up for a while.
        rig->clock.advance(seconds);
        form().tmrTime_Timer();
        if (m_armed && !m_off && form().butOnOff.Tag == "0") {
            // Switched off from inside the announcement.
            m_off = true;
            checkAfterOff();
        }
        if (form().blnAlarm && !wasRinging) {
            FUZZ_CHECK(rig->logged("track-open " + (m_c.track ? kTrack : kBeep)));
            if (m_c.trackFails) {
                form().wmp_Error();
                FUZZ_CHECK(rig->wmp.url() == kBeep);
            }
        }
        if (m_armed && !m_off) {
            const int due = ((*m_alarm * 60 - m_start) % 86400 + 86400) % 86400;
            FUZZ_CHECK(form().blnAlarm == (due > 0 && due <= m_elapsed));
        }
        checkState();
    }

    void switchOff() {
        form().butOnOff_Click();
        m_off = true;
        checkAfterOff();
    }

    void checkAfterOff() {
        FUZZ_CHECK(form().butOnOff.Tag == "0");
        FUZZ_CHECK(form().butOnOff.Picture == form().imgOff.Picture);
        FUZZ_CHECK(!form().blnAlarm);
        FUZZ_CHECK(!form().tmrSet.Enabled);
        FUZZ_CHECK(rig->endpoints.muted == 0);
        FUZZ_CHECK(rig->wmp.state != TrackPlayer::Playing);
        m_offAt = rig->log.size();
    }

    void checkState() {
        const std::string& tag = form().butOnOff.Tag;
        FUZZ_CHECK(tag == "0" || tag == "1");
        FUZZ_CHECK(!form().blnAlarm || tag == "1");
        FUZZ_CHECK(!form().blnAlarm || rig->endpoints.muted == 0);
        // Armed and waiting, the output stays muted.
        if (m_armed && !m_off && !form().blnAlarm && !m_c.noServer)
            FUZZ_CHECK(rig->endpoints.muted == 1);
        FUZZ_CHECK(rig->endpoints.objectsAlive <= 1);
        FUZZ_CHECK(form().lblTime.Caption.size() == 8);
        if (m_off) FUZZ_CHECK(rig->wmp.state != TrackPlayer::Playing && !form().blnAlarm);
        scanLog();
    }

    // Mutes alternate with unmutes; nothing is muted, opened or played after switching off.
    void scanLog() {
        const std::string folder = m_c.french ? "clip /app/sounds/fr/" : "clip /app/sounds/en/";
        for (; m_seen < rig->log.size(); ++m_seen) {
            const std::string& e = rig->log[m_seen];
            if (e == "mute 1") {
                FUZZ_CHECK(!m_muted && !m_off);
                m_muted = true;
            } else if (e == "mute 0") {
                m_muted = false;
            }
            if (e.rfind("clip /", 0) == 0) FUZZ_CHECK(e.rfind(folder, 0) == 0);
            if (m_off && m_seen >= m_offAt) {
                FUZZ_CHECK(e.rfind("track-open", 0) != 0 && e != "track-play");
            }
        }
        FUZZ_CHECK(m_muted == (rig->endpoints.muted == 1));
    }

    Choices m_c;
    std::string m_text;
    std::optional<int> m_alarm;
    std::unique_ptr<ClockRig> rig;
    int m_start = 0;
    int m_elapsed = 0;
    bool m_armed = false;
    bool m_off = false;
    bool m_muted = false;
    std::size_t m_seen = 0;
    std::size_t m_offAt = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    Choices c{};
    const auto flags = input.ConsumeIntegral<uint8_t>();
    c.french = flags & 1;
    c.track = flags & 2;
    c.nearAlarm = !(flags & 4);
    c.offInAnnouncement = flags & 8;
    c.offEarly = flags & 16;
    c.noServer = flags & 32;
    c.trackFails = flags & 64;
    c.offAtStep = input.ConsumeIntegralInRange(0, kSteps - 1);
    c.back = input.ConsumeIntegralInRange(0, 120);
    c.start = input.ConsumeIntegralInRange(0, 86399);
    c.steps = input.ConsumeIntegral<uint32_t>();
    Run(c, input.ConsumeRemainingBytesAsString()).go();
    return 0;
}
