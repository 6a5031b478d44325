#pragma once
// A frmMain wired to fakes, with helpers to move the clock tick by tick.

#include <algorithm>

#include "clock/frmMain.h"
#include "support/Fakes.h"

// The endpoint system the form reaches: the fake outputs, unless a test
// points it at another (the platform's backend over fakes of its own).
class EndpointSystemInUse : public EndpointSystem {
  public:
    explicit EndpointSystemInUse(EndpointSystem* system) : target(system) {}
    std::unique_ptr<EndpointEnumerator> createEnumerator() override {
        return target->createEnumerator();
    }
    EndpointSystem* target;
};

struct ClockRig {
    EventLog log;
    FakeClock clock;
    FakeClips clips{log};
    FakeTrack wmp{log};
    FakeDialogs dialogs{log};
    FakeWindow window{log};
    NullTrayBackend tray;
    FakeEndpointSystem endpoints{log};
    EndpointSystemInUse outputs{&endpoints};
    FakeSleepInhibitor sleep;
    FakeWakeTimer wake;
    std::vector<std::string> fonts;
    int eventPasses = 0;
    std::function<void()> onEvents;  // what a pass of the event loop delivers
    // The folder of the mute record; none unless a test gives one.
    std::filesystem::path stateFolder;
    // Each restart command line the clock registered.
    std::vector<std::vector<std::string>> restartLines;
    EventLog loadLog;  // what Form_Load did
    frmMain form{Platform{
        clock, clips, wmp, dialogs, window, tray, outputs,
        [this](const std::string& path) { fonts.push_back(slashed(path)); }, [] { return "/app"; },
        [this] {
            ++eventPasses;
            if (onEvents) {
                auto events = std::move(onEvents);
                onEvents = nullptr;
                events();
            }
        },
        &sleep, [](std::function<void()> handler) { handler(); }, stateFolder, &wake,
        [this](const std::vector<std::string>& line) { restartLines.push_back(line); }}};

    // `beforeLoad` sets the outputs up as a start finds them.
    explicit ClockRig(int hour = 6, int minute = 59, int second = 0,
                      std::filesystem::path folder = {},
                      const std::function<void(ClockRig&)>& beforeLoad = nullptr)
        : stateFolder(std::move(folder)) {
        clock.set(hour, minute, second);
        if (beforeLoad) beforeLoad(*this);
        form.Form_Load();
        loadLog = log;
        form.tmrTime_Timer();
        log.clear();
    }

    // One tick per second for `seconds` seconds.
    void run(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            clock.advance(1);
            form.tmrTime_Timer();
        }
    }
    void runUntil(int hour, int minute, int second) {
        const int target = (hour * 60 + minute) * 60 + second;
        while (clock.secondsOfDay() != target) run(1);
    }
    // Types `text` into the alarm prompt and lets the delayed mute fire.
    void arm(const std::string& text) {
        dialogs.typed.push_back(text);
        form.butOnOff_Click();
        if (form.tmrSet.Enabled) form.tmrSet_Timer();
    }
    std::vector<std::string> clipsPlayed() const {
        std::vector<std::string> out;
        for (const auto& e : log)
            if (e.rfind("clip /", 0) == 0) out.push_back(e.substr(e.rfind('/') + 1));
        return out;
    }
    bool logged(const std::string& entry) const {
        return std::find(log.begin(), log.end(), entry) != log.end();
    }
};
