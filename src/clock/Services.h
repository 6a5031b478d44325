#pragma once
// The narrow interfaces through which frmMain reaches the world. Production
// passes the real ones from main(); tests pass fakes that record what happened.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "clock/TimeText.h"
#include "speech/ClipPlayer.h"
#include "tray/TrayWindow.h"

class EndpointSystem;
class TrayBackend;

// A moment of the wall clock, finer than the second (UTC).
using Instant = std::chrono::system_clock::time_point;

// The wall clock, rendered as the platform renders it.
class TimeSource {
  public:
    virtual ~TimeSource() = default;
    // The current local time of day.
    virtual LocalTime now() = 0;
    // The same clock as a moment: when the clock's timers fall due, when a
    // mute began. The system's wall clock unless a test moves one of its own.
    virtual Instant instant() { return std::chrono::system_clock::now(); }
    // The locale's general date-and-time text of the moment (for the preset lists).
    virtual std::string dateTimeText() = 0;
};

// The media player that loops the alarm track (the window's `wmp`).
class TrackPlayer {
  public:
    // The player's play states, numbered as the window's media player numbers them.
    enum PlayState { Undefined = 0, Stopped = 1, Paused = 2, Playing = 3 };
    virtual ~TrackPlayer() = default;
    virtual void setLoop(bool loop) = 0;
    // Opens the local file at `path` and starts it from its beginning.
    virtual void open(const std::string& path) = 0;
    // Reads the short sound file at `path` into memory, so that a later open()
    // of that path sounds at once, with no decoder to start. Players that start
    // every file at once need not keep anything.
    virtual void keepReady(const std::string& path) { (void)path; }
    // The file last opened, empty when none.
    virtual std::string url() const = 0;
    // Undefined while a file opens or after it failed.
    virtual PlayState playState() const = 0;
    virtual void pause() = 0;
    virtual void play() = 0;
    virtual void stop() = 0;
    // How much sound of the track has gone to the sound system so far, in any
    // unit that grows while it plays; the clock watches it for a silent track.
    virtual unsigned long long soundWritten() const = 0;
};

// Modal dialogs of the platform.
class Dialogs {
  public:
    enum Answer { Yes = 6, No = 7 };
    virtual ~Dialogs() = default;
    // Text-input prompt with OK and Cancel; empty text on Cancel.
    virtual std::string inputBox(const std::string& prompt, const std::string& title) = 0;
    // Yes/No question, Yes the default, no icon; gives 6 or 7.
    virtual int askYesNo(const std::string& text, const std::string& title) = 0;
    // A plain message with an OK button.
    virtual void message(const std::string& text, const std::string& title) = 0;
    // File-open dialog; gives the chosen full path, or empty on Cancel.
    // `initialPath` is preselected (the dialog remembers its last file name).
    virtual std::string openFile(const std::string& title, const std::string& filter,
                                 const std::string& defaultExt, const std::string& initialPath) = 0;
};

// The top-level window as the platform sees it. Positions are in twips.
class WindowHost : public TrayWindow {
  public:
    virtual int left() const = 0;
    virtual int top() const = 0;
    virtual void move(int left, int top) = 0;
    // Shows the window, restored when it is minimised.
    virtual void show() = 0;
    // Hides the window (to the tray icon).
    virtual void hide() = 0;
    // Minimises the window to the task bar.
    virtual void minimize() = 0;
    virtual bool isVisible() const = 0;
    // Unloads the window; the program ends with it.
    virtual void close() = 0;
};

// Keeps the computer awake while an alarm waits. Taking it again while it is
// held changes nothing; a lock the process holds goes with the process.
class SleepInhibitor {
  public:
    virtual ~SleepInhibitor() = default;
    // `reason` is shown to the user where the system lists what keeps it awake.
    virtual void inhibit(const std::string& reason) = 0;
    virtual void release() = 0;
};

// Wakes the computer from sleep at a moment of the wall clock, so that an alarm
// is not slept through. Setting it again moves it; it never outlives the process.
class WakeTimer {
  public:
    virtual ~WakeTimer() = default;
    // Sets the timer for `due`, replacing one set before. False when nothing
    // on this computer lets the clock wake it.
    virtual bool set(std::chrono::system_clock::time_point due) = 0;
    // Removes the timer; nothing when there is none.
    virtual void cancel() = 0;
};

// Everything frmMain needs from the platform, wired once at start-up.
struct Platform {
    TimeSource& clock;
    ClipPlayer& clips;
    TrackPlayer& wmp;
    Dialogs& dialogs;
    WindowHost& window;
    TrayBackend& tray;
    // The outputs, chosen once at start: the mute reaches the default output
    // and any output by its id through it, and hears of a new default output.
    EndpointSystem& endpoints;
    // Makes a font file available to the window (missing files are passed over).
    std::function<void(const std::string& path)> registerFont;
    // The folder of the executable, without a trailing separator, read afresh each call.
    std::function<std::string()> appFolder;
    // Lets pending window events run once.
    std::function<void()> doEvents;
    // Keeps the computer awake while the alarm is armed; none where the platform has none.
    SleepInhibitor* sleep = nullptr;
    // Runs a handler on the window's thread (endpoint news come on others).
    PostToWindow post = nullptr;
    // Where the record of a mute the clock holds is kept while it holds one
    // (the user's state folder); empty: no record.
    std::filesystem::path stateFolder = {};
    // Wakes the computer shortly before the alarm; none where the platform has none.
    WakeTimer* wake = nullptr;
    // Registers the arguments that start the clock again as it is now; none: not registered.
    std::function<void(const std::vector<std::string>& arguments)> registerRestart = nullptr;
};

// The sound backend this build was configured with (ALARM_AUDIO): each backend
// folder under platform/ defines these three in one factory file.
// Clip completions are handed to the window's thread through `post`.
std::unique_ptr<ClipPlayer> makeClipPlayer(PostToWindow post);
// `onError` is called, on any thread, when the file last opened cannot be
// played; it must only hand the news on.
std::unique_ptr<TrackPlayer> makeTrackPlayer(std::function<void()> onError);
EndpointSystem& soundEndpointSystem();
