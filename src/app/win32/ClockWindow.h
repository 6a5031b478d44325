#pragma once
// The borderless clock-radio window on Win32. It paints the controls from the
// rule book at the monitor's scale, hands mouse and key messages to the form's
// window rules, offers the painted controls to screen readers (WM_GETOBJECT),
// runs the two timers and passes the tray's callback messages on.

#include "app/win32/SystemHeaders.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/win32/AccessibleWindow.h"
#include "app/win32/Owned.h"
#include "clock/FormWindow.h"

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
    void setForm(frmMain* form);
    void setTray(Win32Tray* tray) { m_tray = tray; }
    // Runs a handler of the form, then shows what it changed.
    void dispatch(const std::function<void()>& handler);
    // Feeds the window rules an event, then shows what it changed.
    void apply(const std::function<Changes(FormWindow&)>& event);
    // Runs the tick now and arms the next one just after the wall-clock second.
    void tick();
    // Hands a handler to the window's thread, from any thread, to dispatch there.
    void post(std::function<void()> handler) const;
    // Pixels of the monitor per pixel of the design (1 at 96 dots per inch).
    double scale() const { return m_scale; }

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
    void redraw(const Changes& changes);
    void paint(HDC target);
    void drawPicture(HDC dc, face::Control control);
    void drawLabel(HDC dc, face::Control control);
    HFONT font(const std::string& name, bool bold, int pixelSize);
    Gdiplus::Bitmap* picture(const std::string& name);
    RECT scaled(const face::Rect& rect) const;
    // A mouse message's point in the design's pixels.
    POINT designPoint(LPARAM lParam) const;
    void mouseDown(LPARAM lParam, int button);
    void mouseMove(WPARAM wParam, LPARAM lParam);
    void mouseUp(LPARAM lParam, int button);
    void setScale(UINT dpi);
    // A key; true when the clock took it.
    bool key(WPARAM virtualKey);
    void addTooltips(HINSTANCE instance);
    // The tooltips' places at the window's scale.
    void placeTooltips();
    // Tells screen readers of the focus, changed names and the switch's state.
    void notifyChanges();

    HWND m_window = nullptr;
    std::unique_ptr<FormWindow> m_rules;
    Win32Tray* m_tray = nullptr;
    double m_scale = 1.0;
    bool m_releasing = false;
    // Ticking only at whole minutes (hidden, not ringing).
    bool m_everyMinute = false;
    std::map<std::string, std::unique_ptr<Gdiplus::Bitmap>> m_pictures;
    std::map<std::tuple<std::string, bool, int>, OwnedFont> m_fonts;
    Microsoft::WRL::ComPtr<AccessibleWindow> m_accessible;
    HWND m_tooltips = nullptr;
    // The tooltip texts, kept alive for the tooltip control.
    std::vector<std::wstring> m_tips;
    // What screen readers were last told: the focus, each child's name and state.
    long m_toldFocus = 0;
    std::vector<std::pair<std::wstring, long>> m_told;
};
