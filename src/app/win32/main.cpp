// Starts the clock on Windows: wires the Win32 front end and the sound
// backend to frmMain, loads it, shows the window and runs the message loop.

#include "app/win32/SystemHeaders.h"

#include "app/win32/ClockWindow.h"
#include "app/win32/FontFile.h"
#include "app/win32/GdiPlus.h"
#include "app/win32/RestartRegistration.h"
#include "app/win32/SingleInstance.h"
#include "app/win32/Win32Log.h"
#include "app/win32/Win32Services.h"
#include "app/win32/Win32SleepInhibitor.h"
#include "app/win32/Win32Tray.h"
#include "app/win32/Win32WakeTimer.h"
#include "audio/CAudioEndpointVolume.h"
#include "clock/frmMain.h"
#include "platform/win32/Owned.h"
#include "platform/win32/WideText.h"

namespace {

constexpr int kIconResource = 1;

// Lets pending window messages run once.
void doEvents() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Core Audio is called on this, the window's, thread.
    const ComApartment com;
    installWin32LogSink();
    const RestartParse restart = restartFromCommandLine();
    if (!restart.error.empty()) {
        MessageBoxW(nullptr, widen("Alarm Clock: " + restart.error).c_str(), L"Alarm Clock",
                    MB_OK | MB_ICONERROR);
        return 1;
    }
    // A second start shows the running clock and ends: no tick, mute, sound or tray icon.
    const SingleInstance onePerSession;
    if (onePerSession.another()) {
        onePerSession.wake(ClockWindow::kClassName, ClockWindow::kShowMessage);
        return 0;
    }
    const GdiplusSession gdiplus;

    HICON icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconResource),
                                               IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    ClockWindow window(instance, icon);
    const HWND handle = window.handle();
    Win32TimeSource clock;
    // Clip completions come from the clip queue's thread.
    std::unique_ptr<ClipPlayer> clips = makeClipPlayer(
        [&window](std::function<void()> handler) { window.post(std::move(handler)); });
    // The track player may report on any thread; the form hears it on the window's.
    std::unique_ptr<TrackPlayer> wmp =
        makeTrackPlayer([handle] { PostMessageW(handle, ClockWindow::kTrackErrorMessage, 0, 0); });
    Win32Dialogs dialogs(handle);
    Win32WindowHost host(handle, icon, [&window] { return window.scale(); });
    Win32Tray tray;
    // Called by the form on this, the window's, thread, which owns the request.
    Win32SleepInhibitor sleep;
    // Fires on a thread of the pool; the wake is handled on the window's.
    Win32WakeTimer wake(
        [&window](std::function<void()> handler) { window.post(std::move(handler)); },
        [&sleep] { sleep.keepDisplayOn(); });
    setEndpointSystem(&soundEndpointSystem());
    RestartRegistration restartLine(instance);

    frmMain form(Platform{
        .clock = clock,
        .clips = *clips,
        .wmp = *wmp,
        .dialogs = dialogs,
        .window = host,
        .tray = tray,
        .newEndpointVolume = [] { return std::make_unique<CAudioEndpointVolume>(); },
        .registerFont = [](const std::string& path) { addFontFile(path); },
        .appFolder = appFolder,
        .doEvents = doEvents,
        .sleep = &sleep,
        .endpoints = &soundEndpointSystem(),
        .post = [&window](std::function<void()> handler) { window.post(std::move(handler)); },
        .stateFolder = stateFolder(),
        .wake = &wake,
        .registerRestart = [&restartLine](const auto& line) { restartLine.set(line); },
    });
    window.setForm(&form);
    window.setTray(&tray);

    window.apply(&FormWindow::load);
    window.apply([&](FormWindow& rules) { return rules.run([&] { form.resume(restart.state); }); });
    ShowWindow(handle, SW_SHOW);
    window.tick();

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    window.apply(&FormWindow::unload);
    window.setForm(nullptr);
    setEndpointSystem(nullptr);
    return static_cast<int>(message.wParam);
}
