#pragma once
// The clock's run, the same on every platform: the form wired to the front
// end's services and to this build's sound backend and outputs (chosen once,
// here), loaded, shown, ticking, and unloaded when the window's loop ends.
// Each main() only chooses its platform.

#include <filesystem>
#include <functional>
#include <string>

#include "clock/FormWindow.h"
#include "clock/RestartLine.h"
#include "clock/Services.h"

// Each front end defines these: the folder of the executable, where the
// program's data lies (UTF-8); the clock's folder in the user's state folder,
// where the mute record is kept; and the local clock as the system renders it.
std::string appFolder();
std::filesystem::path stateFolder();
class LocalClock : public TimeSource {
  public:
    LocalTime now() override;
    std::string dateTimeText() override;
};

// What a front end chooses.
struct FrontEnd {
    Dialogs& dialogs;
    WindowHost& window;
    TrayBackend& tray;
    // Makes a font file available to the window.
    std::function<void(const std::string& path)> registerFont;
    // Lets pending window events run once.
    std::function<void()> doEvents;
    SleepInhibitor* sleep = nullptr;
    WakeTimer* wake = nullptr;
    // Runs a handler of the form on the window's thread (from any thread),
    // then shows what it changed.
    PostToWindow post;
    // Gives the window the form it shows; none once the form is gone.
    std::function<void(frmMain*)> setForm;
    // Feeds the window's rules an event, then shows what it changed.
    std::function<void(const std::function<Changes(FormWindow&)>&)> apply;
    // Runs the window's event loop; its result is the program's.
    std::function<int()> loop;
    // What the command line carried over from a clock that ran before.
    RestartState resume;
    // Keeps the arguments that would start the clock again as it is now.
    std::function<void(const std::vector<std::string>& arguments)> registerRestart;
};

int runClock(const FrontEnd& front);
