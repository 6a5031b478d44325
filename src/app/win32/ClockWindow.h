#pragma once
// The borderless clock-radio window on Win32. It draws frmMain's controls,
// turns the window's mouse messages into frmMain's events (in twips), runs
// the two timers and hands the tray's callback messages to the form.

#include "app/win32/SystemHeaders.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "clock/Controls.h"

class frmMain;
class Win32Tray;
namespace Gdiplus {
class Bitmap;
}

class ClockWindow {
  public:
    // Creates the window (hidden) with the given icon.
    ClockWindow(HINSTANCE instance, HICON icon);
    ~ClockWindow();
    ClockWindow(const ClockWindow&) = delete;
    ClockWindow& operator=(const ClockWindow&) = delete;

    HWND handle() const { return m_window; }
    void setForm(frmMain* form) { m_form = form; }
    void setTray(Win32Tray* tray) { m_tray = tray; }
    // Runs a handler of the form, then shows what it changed.
    void dispatch(const std::function<void()>& handler);
    // Runs the tick now and arms the next one just after the wall-clock second.
    void tick();
    // Hands a handler to the window's thread, from any thread, to dispatch there.
    void post(std::function<void()> handler) const;
    // The track player's error, posted from wherever it was found.
    static constexpr UINT kTrackErrorMessage = WM_APP + 1;
    // A handler from post(), owned by the message (lParam).
    static constexpr UINT kPostedMessage = WM_APP + 2;
    // Another start of the clock asks this one to show and raise its window.
    static constexpr UINT kShowMessage = WM_APP + 3;
    // The window's class, by which another start finds it.
    static constexpr const wchar_t* kClassName = L"AlarmClockWindow";

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void refresh();
    void paint(HDC target);
    void mouseDown(int x, int y, int buttons);
    void mouseMove(WPARAM wParam, LPARAM lParam);
    void mouseUp(int x, int y, int button);
    void unload();
    Gdiplus::Bitmap* picture(const std::string& name);

    HWND m_window = nullptr;
    frmMain* m_form = nullptr;
    Win32Tray* m_tray = nullptr;
    bool m_setRunning = false;
    bool m_dragging = false;
    // The control a button went down on, for clicks (a release over the same one).
    int m_pressed = -1;
    std::map<std::string, std::unique_ptr<Gdiplus::Bitmap>> m_pictures;
};
