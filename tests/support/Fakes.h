#pragma once
// Fakes of the platform services for driving frmMain without a window, a sound
// server or a real clock. Everything observable goes into one shared log, so a
// test can check the order in which things happened.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/CAudioEndpointVolume.h"
#include "clock/Services.h"
#include "tray/TrayBackend.h"

using EventLog = std::vector<std::string>;

// A path the core joined with the platform's separator, written with '/' so
// that the tests read alike on every platform.
inline std::string slashed(std::string path) {
    std::replace(path.begin(), path.end(),
                 static_cast<char>(std::filesystem::path::preferred_separator), '/');
    return path;
}

// A wall clock that only moves when told to. It starts on 2026-12-08 and
// counts the days it is moved over.
class FakeClock : public TimeSource {
  public:
    explicit FakeClock(int secondsOfDay = 0) : m_seconds(secondsOfDay) {}
    // The time of day, on the day the clock is at.
    void set(int hour, int minute, int second) {
        m_seconds = day() * 86400LL + (hour * 60 + minute) * 60 + second;
    }
    void advance(long long seconds) { m_seconds += seconds; }
    int secondsOfDay() const { return static_cast<int>(m_seconds - day() * 86400LL); }
    // Days since the first, before it negative.
    long long day() const { return (m_seconds >= 0 ? m_seconds : m_seconds - 86399) / 86400; }
    LocalTime now() override {
        using namespace std::chrono;
        const int s = secondsOfDay();
        const year_month_day date{sys_days{2026y / December / 8} + days{day()}};
        return {s / 3600,
                s / 60 % 60,
                s % 60,
                static_cast<int>(date.year()),
                static_cast<int>(static_cast<unsigned>(date.month())),
                static_cast<int>(static_cast<unsigned>(date.day()))};
    }
    std::string dateTimeText() override { return "12/8/2026 " + longTimeTextOf(now()); }
    // The same moment, `millis` into its second.
    Instant instant() override {
        using namespace std::chrono;
        return sys_days{2026y / December / 8} + seconds(m_seconds) + milliseconds(millis);
    }
    int millis = 0;

  private:
    long long m_seconds;
};

class FakeClips : public ClipPlayer {
  public:
    explicit FakeClips(EventLog& log) : m_log(log) {}
    void play(const std::string& path) override {
        m_log.push_back("clip " + slashed(path));
        played.push_back(slashed(path));
        if (duringPlay) duringPlay(path);
    }
    // Runs `done` at once, as if every clip had ended; with `holdCompletions`
    // set, only when the test calls finishClips().
    void whenPlayed(std::function<void()> done) override {
        if (holdCompletions)
            m_pending.push_back(std::move(done));
        else
            done();
    }
    void stop() override { m_log.push_back("clip-stop"); }
    void clear() override {
        m_log.push_back("clip-clear");
        m_pending.clear();
    }
    // The clips queued so far have been heard.
    void finishClips() {
        auto pending = std::move(m_pending);
        m_pending.clear();
        for (auto& done : pending) done();
    }
    std::vector<std::string> played;
    // Runs inside play(), as if events were handled while the clip sounds.
    std::function<void(const std::string&)> duringPlay;
    bool holdCompletions = false;

  private:
    EventLog& m_log;
    std::vector<std::function<void()>> m_pending;
};

// A media player whose state changes at once (a real one takes a moment).
class FakeTrack : public TrackPlayer {
  public:
    explicit FakeTrack(EventLog& log) : m_log(log) {}
    void setLoop(bool loop) override { looping = loop; }
    void open(const std::string& path) override {
        m_log.push_back("track-open " + slashed(path));
        m_url = path;
        state = opensPaused ? Undefined : Playing;
    }
    std::string url() const override { return m_url; }
    PlayState playState() const override { return state; }
    void pause() override {
        m_log.push_back("track-pause");
        state = Paused;
    }
    void play() override {
        m_log.push_back("track-play");
        state = Playing;
    }
    void stop() override {
        m_log.push_back("track-stop");
        state = Stopped;
    }
    unsigned long long soundWritten() const override {
        if (state == Playing && !silent) ++written;
        return written;
    }
    PlayState state = Undefined;
    // Grows by itself while playing, unless the test makes the track silent.
    mutable unsigned long long written = 0;
    bool silent = false;
    bool looping = false;
    // When set, open() leaves the player still opening (neither playing nor paused).
    bool opensPaused = false;

  private:
    EventLog& m_log;
    std::string m_url;
};

class FakeDialogs : public Dialogs {
  public:
    explicit FakeDialogs(EventLog& log) : m_log(log) {}
    std::string inputBox(const std::string& prompt, const std::string& title) override {
        asked.push_back({prompt, title});
        return next(typed);
    }
    int askYesNo(const std::string& text, const std::string& title) override {
        asked.push_back({text, title});
        if (answers.empty()) return No;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    void message(const std::string& text, const std::string& title) override {
        m_log.push_back("message " + title);
        messages.push_back({text, title});
    }
    std::string openFile(const std::string& title, const std::string& filter,
                         const std::string& defaultExt, const std::string& initialPath) override {
        asked.push_back({filter, title});
        lastDefaultExt = defaultExt;
        lastInitialPath = initialPath;
        return next(files);
    }

    struct Asked {
        std::string text, title;
    };
    std::deque<std::string> typed;  // answers to the text prompt
    std::deque<int> answers;        // answers to the Yes/No question
    std::deque<std::string> files;  // answers to the file dialog
    std::vector<Asked> asked;
    std::vector<Asked> messages;
    std::string lastDefaultExt, lastInitialPath;

  private:
    static std::string next(std::deque<std::string>& q) {
        if (q.empty()) return {};
        std::string s = q.front();
        q.pop_front();
        return s;
    }
    EventLog& m_log;
};

class FakeWindow : public WindowHost {
  public:
    explicit FakeWindow(EventLog& log) : m_log(log) {}
    int left() const override { return x; }
    int top() const override { return y; }
    void move(int l, int t) override {
        x = l;
        y = t;
    }
    void show() override {
        visible = true;
        minimized = false;
    }
    void hide() override { visible = false; }
    void minimize() override { minimized = true; }
    bool isVisible() const override { return visible; }
    void close() override {
        m_log.push_back("window-close");
        closed = true;
    }
    unsigned long long hWnd() const override { return 0x1234; }
    unsigned long long hIcon() const override { return 0x77; }
    int x = 0, y = 0;
    bool visible = true, minimized = false, closed = false;

  private:
    EventLog& m_log;
};

class NullTrayBackend : public TrayBackend {
  public:
    void notifyIcon(NotifyMessage message, const NotifyIconData& record) override {
        messages.push_back(message);
        if (record.uFlags & NIF_INFO)
            balloons.emplace_back(record.szInfo.data(),
                                  std::find(record.szInfo.begin(), record.szInfo.end(), '\0'));
    }
    uint64_t createIcon(const IconImage&) override { return 1; }
    void destroyIcon(uint64_t) override {}
    bool iconShown() const override { return shown; }
    std::vector<NotifyMessage> messages;
    std::vector<std::string> balloons;  // the balloon texts shown (code page text)
    bool shown = true;                  // a tray host shows the icon
};

// A wake timer that keeps what it was set to; `canWake` false: nothing can wake.
class FakeWakeTimer : public WakeTimer {
  public:
    bool set(std::chrono::system_clock::time_point at) override {
        ++sets;
        if (canWake) due = at;
        return canWake;
    }
    void cancel() override { due.reset(); }
    std::optional<std::chrono::system_clock::time_point> due;
    int sets = 0;
    bool canWake = true;
};

// A sleep lock that counts what was asked of it.
class FakeSleepInhibitor : public SleepInhibitor {
  public:
    void inhibit(const std::string& reason) override {
        held = true;
        ++taken;
        reasons.push_back(reason);
    }
    void release() override { held = false; }
    bool held = false;
    int taken = 0;
    std::vector<std::string> reasons;
};

// An endpoint system of outputs that log every mute change ("mute 1" for the
// first, "speakers"; "mute 1 <id>" for the others) and level change ("level
// 0.5", "level 0.5 <id>"), or one with no audio
// service at all. A test plugs in an output, makes it the default (telling
// the listeners, as the platform would) or unplugs it.
class FakeEndpointSystem : public EndpointSystem {
  public:
    explicit FakeEndpointSystem(EventLog& log) : m_log(log) {}
    std::unique_ptr<EndpointEnumerator> createEnumerator() override;
    // The mute of an output; a new id is an output plugged in, unmuted.
    int& muteOf(const std::string& id) { return id == "speakers" ? muted : others[id]; }
    void setDefault(const std::string& id) {
        muteOf(id);
        defaultId = id;
        for (IMMNotificationClient* listener : std::vector(listeners))
            listener->OnDefaultDeviceChanged(id);
    }
    void unplug(const std::string& id) { others.erase(id); }
    // The level (0.0 to 1.0) of an output; full unless a test sets it.
    float& levelOf(const std::string& id) { return levels.try_emplace(id, 1.0f).first->second; }
    bool present(const std::string& id) const { return id == "speakers" || others.count(id); }
    void log(const std::string& entry) { m_log.push_back(entry); }

    bool available = true;
    int muted = 0;  // of "speakers"
    std::map<std::string, int> others;
    std::map<std::string, float> levels;
    std::string defaultId = "speakers";
    std::vector<IMMNotificationClient*> listeners;
    int objectsAlive = 0;

  private:
    EventLog& m_log;
};
