#pragma once
// The borderless clock-radio window on Win32. It owns the window and routes
// its messages: painting to FacePainter, mouse messages to MouseInput and the
// tray's callback to TrayCallback, keys and events to the form's window
// rules, screen readers to AccessibleWindow and AccessibleNews, tooltips to
// Tooltips; it arms one timer for the moment the form's timers fall due.

#include "app/win32/SystemHeaders.h"

#include <functional>
#include <memory>
#include <optional>

#include "app/win32/AccessibleNews.h"
#include "app/win32/AccessibleWindow.h"
#include "app/win32/FacePainter.h"
#include "app/win32/MouseInput.h"
#include "app/win32/PostedWork.h"
#include "app/win32/Tooltips.h"
#include "app/win32/WindowScale.h"
#include "clock/FormWindow.h"
#include "platform/win32/Owned.h"

class Win32Tray;

class ClockWindow {
  public:
    // Creates the window (hidden) with the given icon.
    ClockWindow(HINSTANCE instance, HICON icon);
    ~ClockWindow();
    ClockWindow(const ClockWindow&) = delete;
    ClockWindow& operator=(const ClockWindow&) = delete;

    HWND handle() const { return m_window.get(); }
    void setForm(frmMain* form);
    void setTray(Win32Tray* tray) { m_tray = tray; }
    // Runs a handler of the form, then shows what it changed.
    void dispatch(const std::function<void()>& handler);
    // Feeds the window rules an event, then shows what it changed.
    void apply(const std::function<Changes(FormWindow&)>& event);
    // Hands a handler to the window's thread, from any thread, to dispatch there.
    void post(std::function<void()> handler);
    // Pixels of the monitor per pixel of the design (1 at 96 dots per inch).
    double scale() const { return m_scale.factor(); }

    // There is work from post() to run.
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
    // The window goes (its messages then go to the system alone), and the message loop ends.
    void destroy();
    void redraw(const Changes& changes);
    void setScale(UINT dpi);
    RECT scaled(face::Control control) const;
    // Arms the window's one timer for when the form's timers are next due.
    void armTimer();
    // A key; true when the clock took it.
    bool key(WPARAM virtualKey);
    void notifyChanges();

    // The one owner of the window: destroy() gives it back.
    OwnedWindow m_window;
    std::unique_ptr<FormWindow> m_rules;
    Win32Tray* m_tray = nullptr;
    WindowScale m_scale;
    FacePainter m_painter;
    MouseInput m_mouse;
    ComRef<AccessibleWindow> m_accessible;
    AccessibleNews m_news;
    std::optional<Tooltips> m_tooltips;
    PostedWork m_posted;
};
