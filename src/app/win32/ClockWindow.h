#pragma once
// The borderless clock-radio window on Win32. It draws frmMain's controls,
// turns the window's mouse messages into frmMain's events (in twips) and its
// keys into the clicks of the core's key table, offers its painted controls
// to screen readers (WM_GETOBJECT), runs the two timers and hands the tray's
// callback messages to the form.

#include "app/win32/SystemHeaders.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/win32/AccessibleWindow.h"
#include "clock/Controls.h"
#include "ui/Keyboard.h"

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
    // A screen reader's default action on a child (wParam), run after its call returns.
    static constexpr UINT kAccessibleActMessage = WM_APP + 4;
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
    // A key; true when the clock took it.
    bool key(WPARAM virtualKey);
    void setFocused(keyboard::Control control);
    void click(keyboard::Control control);
    void addTooltips(HINSTANCE instance);
    // Tells screen readers of changed names and the switch's state.
    void notifyChanges();

    HWND m_window = nullptr;
    frmMain* m_form = nullptr;
    Win32Tray* m_tray = nullptr;
    bool m_setRunning = false;
    bool m_dragging = false;
    // The control a button went down on, for clicks (a release over the same one).
    int m_pressed = -1;
    std::map<std::string, std::unique_ptr<Gdiplus::Bitmap>> m_pictures;
    Microsoft::WRL::ComPtr<AccessibleWindow> m_accessible;
    // The control with the keyboard focus while the window has it.
    keyboard::Control m_focused = keyboard::focusOrder.front();
    // The focus mark shows once the keyboard has been used in the window.
    bool m_keyboardUsed = false;
    HWND m_tooltips = nullptr;
    // The tooltip texts, kept alive for the tooltip control.
    std::vector<std::wstring> m_tips;
    // What screen readers were last told: each part's name and state.
    std::vector<std::pair<std::wstring, long>> m_told;
};
