#include "app/run/ClockRun.h"

#include "clock/frmMain.h"

int runClock(const FrontEnd& front) {
    // The sound backends report on their own threads; the form hears them on
    // the window's.
    std::unique_ptr<ClipPlayer> clips = makeClipPlayer(front.post);
    LocalClock localClock;
    frmMain* form = nullptr;
    std::unique_ptr<TrackPlayer> wmp = makeTrackPlayer([&front, &form] {
        front.post([&form] {
            if (form) form->wmp_Error();
        });
    });
    frmMain clock(Platform{
        .clock = localClock,
        .clips = *clips,
        .wmp = *wmp,
        .dialogs = front.dialogs,
        .window = front.window,
        .tray = front.tray,
        .endpoints = soundEndpointSystem(),
        .registerFont = front.registerFont,
        .appFolder = appFolder,
        .doEvents = front.doEvents,
        .sleep = front.sleep,
        .post = front.post,
        .stateFolder = stateFolder(),
        .wake = front.wake,
        .registerRestart = front.registerRestart,
    });
    form = &clock;
    front.setForm(form);

    front.apply(&FormWindow::load);
    front.apply([&](FormWindow& rules) { return rules.run([&] { clock.resume(front.resume); }); });
    front.window.show();
    front.apply(&FormWindow::tick);
    const int status = front.loop();
    front.apply(&FormWindow::unload);

    front.setForm(nullptr);
    form = nullptr;
    return status;
}
