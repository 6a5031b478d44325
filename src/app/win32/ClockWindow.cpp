#include "app/win32/ClockWindow.h"

#include <windowsx.h>

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "app/win32/GdiPlus.h"
#include "app/win32/PictureFile.h"
#include "app/win32/Win32Services.h"
#include "app/win32/Win32Tray.h"
#include "app/win32/WindowAccess.h"
#include "clock/frmMain.h"
#include "log/Log.h"
#include "platform/win32/WideText.h"
#include "ui/Texts.h"

using face::Control;

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT_PTR kSetTimer = 2;

// The button state of a mouse message's key flags.
int heldButtons(WPARAM keys) {
    return (keys & MK_LBUTTON ? face::kLeftButton : 0) |
           (keys & MK_RBUTTON ? face::kRightButton : 0) |
           (keys & MK_MBUTTON ? face::kMiddleButton : 0);
}

// A call that only later releases of Windows 10 have, looked up where it exists.
template <typename Function>
Function systemCall(const wchar_t* module, const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(module), name)));
}

// The window's screen density. A call that fails gives 0 (seen under Wine):
// then the screen's, or 96, so that the window never takes a size of nothing.
UINT windowDpi(HWND window) {
    static const auto getDpiForWindow =
        systemCall<UINT(WINAPI*)(HWND)>(L"user32", "GetDpiForWindow");
    if (const UINT dpi = getDpiForWindow ? getDpiForWindow(window) : 0) return dpi;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

// The wall clock in milliseconds since 1601 (its minutes are the local clock's:
// zones differ by whole minutes).
ULONGLONG wallClockMilliseconds() {
    using PreciseTime = void(WINAPI*)(LPFILETIME);
    static const auto precise =
        systemCall<PreciseTime>(L"kernel32", "GetSystemTimePreciseAsFileTime");
    FILETIME now;
    (precise ? precise : GetSystemTimeAsFileTime)(&now);
    const ULONGLONG ticks = static_cast<ULONGLONG>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
    return ticks / 10000;
}

}  // namespace

ClockWindow::ClockWindow(HINSTANCE instance, HICON icon) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);

    m_window =
        CreateWindowExW(0, kClassName, widen(texts::caption).c_str(), WS_POPUP, 0, 0,
                        geometry::kWidthPx, geometry::kHeightPx, nullptr, nullptr, instance, this);
    setScale(windowDpi(m_window));
    RECT screen{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
    const int width = static_cast<int>(std::lround(geometry::kWidthPx * m_scale));
    const int height = static_cast<int>(std::lround(geometry::kHeightPx * m_scale));
    SetWindowPos(m_window, nullptr, screen.left + (screen.right - screen.left - width) / 2,
                 screen.top + (screen.bottom - screen.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    AccessibleSource source;
    source.controls = [this] {
        if (!m_rules) return std::vector<AccessibleControl>{};
        return accessibleControls(*m_rules,
                                  [this](Control c) { return scaled(face::rowOf(c).rect); });
    };
    source.focused = [this] { return m_rules ? childOf(m_rules->focused()) : 0L; };
    source.act = [this](long child) {
        PostMessageW(m_window, kAccessibleActMessage, static_cast<WPARAM>(child), 0);
    };
    source.focus = [this](long child) {
        if (!m_rules || child < 1 || child >= alertChild()) return;
        m_rules->setFocused(controlOfChild(child));
        InvalidateRect(m_window, nullptr, FALSE);
        notifyChanges();
    };
    m_accessible = makeAccessibleWindow(m_window, std::move(source));
    addTooltips(instance);
}

ClockWindow::~ClockWindow() {
    if (m_window) DestroyWindow(m_window);
    if (m_accessible) m_accessible->disconnect();
}

void ClockWindow::setForm(frmMain* form) {
    m_rules = form ? std::make_unique<FormWindow>(*form) : nullptr;
}

void ClockWindow::setScale(UINT dpi) {
    m_scale = static_cast<double>(dpi) / USER_DEFAULT_SCREEN_DPI;
    m_fonts.clear();
    logDebug(LogCategory::ui, "dots per inch " + std::to_string(dpi));
}

LRESULT CALLBACK ClockWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<ClockWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_window = window;
    }
    auto* self = reinterpret_cast<ClockWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT ClockWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            const PaintScope painting(m_window);
            paint(painting.dc());
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_GETOBJECT:
            if (static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT))
                return answerGetObject(m_accessible.Get(), wParam);
            return DefWindowProcW(m_window, message, wParam, lParam);
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (key(wParam)) return 0;
            return DefWindowProcW(m_window, message, wParam, lParam);
        case WM_WINDOWPOSCHANGED:
            // Shown (at start, from the tray, by another start): the keyboard comes here.
            // Back from the tray, it also shows the time now and ticks each second again.
            if (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) {
                if (m_rules) m_rules->shown();  // the first control has the focus
                SetForegroundWindow(m_window);
                SetFocus(m_window);
                if (m_everyMinute) tick();
            }
            return DefWindowProcW(m_window, message, wParam, lParam);
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(m_window, nullptr, FALSE);
            m_toldFocus = 0;
            if (message == WM_SETFOCUS) notifyChanges();
            return 0;
        case WM_NOTIFY: {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            if (info->hdr.hwndFrom == m_tooltips && info->hdr.code == TTN_GETDISPINFOW && m_rules) {
                // The tooltip in the clock's language now.
                const auto control = static_cast<Control>(info->hdr.idFrom);
                if (m_tips.size() < face::kControlCount) m_tips.resize(face::kControlCount);
                std::wstring& tip = m_tips[static_cast<size_t>(control)];
                tip = widen(m_rules->describe(control).tooltip);
                info->lpszText = tip.data();
            }
            return 0;
        }
        case kAccessibleActMessage:
            if (m_rules && wParam >= 1 && wParam <= face::described().size()) {
                const Control control = controlOfChild(static_cast<long>(wParam));
                if (face::rowOf(control).pressable())
                    apply([control](FormWindow& rules) { return rules.activate(control); });
            }
            return 0;
        case WM_DPICHANGED: {
            setScale(LOWORD(wParam));
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(m_window, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            InvalidateRect(m_window, nullptr, FALSE);
            placeTooltips();
            return 0;
        }
        case WM_LBUTTONDOWN:
            mouseDown(lParam, face::kLeftButton);
            return 0;
        case WM_RBUTTONDOWN:
            mouseDown(lParam, face::kRightButton);
            return 0;
        case WM_MBUTTONDOWN:
            mouseDown(lParam, face::kMiddleButton);
            return 0;
        case WM_LBUTTONUP:
            mouseUp(lParam, face::kLeftButton);
            return 0;
        case WM_RBUTTONUP:
            mouseUp(lParam, face::kRightButton);
            return 0;
        case WM_MBUTTONUP:
            mouseUp(lParam, face::kMiddleButton);
            return 0;
        case WM_MOUSEMOVE:
            mouseMove(wParam, lParam);
            return 0;
        case WM_CAPTURECHANGED:
            // Another window took the mouse: the press and any drag are over.
            if (!m_releasing && reinterpret_cast<HWND>(lParam) != m_window)
                apply(&FormWindow::mouseLost);
            return 0;
        case WM_CANCELMODE:
            apply(&FormWindow::mouseLost);
            return DefWindowProcW(m_window, message, wParam, lParam);
        case WM_TIMER:
            KillTimer(m_window, wParam);
            if (wParam == kTickTimer)
                tick();
            else if (wParam == kSetTimer)
                apply(&FormWindow::muteTimerElapsed);
            return 0;
        case WM_TIMECHANGE:
            // The clock was set: show it, and catch an alarm minute, at once.
            tick();
            return 0;
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) tick();
            return TRUE;
        case WM_QUERYENDSESSION:
            logDebug(LogCategory::ui, "session end asked");
            apply(&FormWindow::sessionQuery);
            return TRUE;
        case WM_ENDSESSION:
            logDebug(LogCategory::ui, wParam ? "session ends" : "session end cancelled");
            apply(
                [ending = wParam != FALSE](FormWindow& rules) { return rules.sessionEnd(ending); });
            if (wParam) DestroyWindow(m_window);
            return 0;
        case WM_CLOSE:
            apply(&FormWindow::unload);
            DestroyWindow(m_window);
            return 0;
        case WM_DESTROY:
            if (m_accessible) m_accessible->disconnect();
            KillTimer(m_window, kTickTimer);
            KillTimer(m_window, kSetTimer);
            PostQuitMessage(0);
            return 0;
        case kTrackErrorMessage:
            apply(&FormWindow::trackFailed);
            return 0;
        case kShowMessage:
            ShowWindow(m_window, IsIconic(m_window) ? SW_RESTORE : SW_SHOW);
            SetForegroundWindow(m_window);
            logDebug(LogCategory::ui, "shown at another start's request");
            return 0;
        case kPostedMessage: {
            const std::unique_ptr<std::function<void()>> handler(
                reinterpret_cast<std::function<void()>*>(lParam));
            dispatch(*handler);
            return 0;
        }
        default:
            if (message == Win32Tray::taskbarCreatedMessage() && m_tray) {
                m_tray->restore();
                apply(&FormWindow::trayChanged);
                return 0;
            }
            return DefWindowProcW(m_window, message, wParam, lParam);
    }
}

void ClockWindow::post(std::function<void()> handler) const {
    auto* posted = new std::function<void()>(std::move(handler));
    if (!PostMessageW(m_window, kPostedMessage, 0, reinterpret_cast<LPARAM>(posted))) delete posted;
}

void ClockWindow::dispatch(const std::function<void()>& handler) {
    if (m_rules) redraw(m_rules->run(handler));
}

void ClockWindow::apply(const std::function<Changes(FormWindow&)>& event) {
    if (m_rules) redraw(event(*m_rules));
}

void ClockWindow::tick() {
    const ULONGLONG began = wallClockMilliseconds();
    if (m_rules) {
        redraw(m_rules->tick());
        logDebug(LogCategory::ui, m_rules->stateLine());
    }
    // Fire just after the wall-clock second that follows the one this tick
    // began in, so the display changes with it and a slow tick skips none;
    // hidden in the tray and not ringing, nothing needs the seconds, and the
    // next tick is at the next minute.
    m_everyMinute = !IsWindowVisible(m_window) && m_rules && !m_rules->busyEachSecond();
    const ULONGLONG period = m_everyMinute ? 60000 : 1000;
    const ULONGLONG due = (began / period + 1) * period + 5;
    const ULONGLONG now = wallClockMilliseconds();
    SetTimer(m_window, kTickTimer, due > now ? static_cast<UINT>(due - now) : USER_TIMER_MINIMUM,
             nullptr);
}

void ClockWindow::redraw(const Changes& changes) {
    for (const face::ControlRow& row : face::controls()) {
        if (!changes.changed(row.id)) continue;
        const RECT rect = scaled(row.rect);
        InvalidateRect(m_window, &rect, FALSE);
    }
    if (m_rules) notifyChanges();
    // The ring, told to screen readers through the alert child that says it.
    if (!changes.alert.empty()) {
        logDebug(LogCategory::ui, "alert: " + changes.alert);
        notifyAccessible(m_window, EVENT_SYSTEM_ALERT, alertChild());
    }
    if (changes.muteTimer == Changes::Timer::start)
        SetTimer(m_window, kSetTimer, static_cast<UINT>(changes.muteTimerInterval), nullptr);
    else if (changes.muteTimer == Changes::Timer::stop)
        KillTimer(m_window, kSetTimer);
}

RECT ClockWindow::scaled(const face::Rect& r) const {
    const auto at = [this](int v) { return static_cast<LONG>(std::lround(v * m_scale)); };
    return {at(r.x), at(r.y), at(r.x + r.width), at(r.y + r.height)};
}

POINT ClockWindow::designPoint(LPARAM lParam) const {
    return {static_cast<LONG>(std::floor(GET_X_LPARAM(lParam) / m_scale)),
            static_cast<LONG>(std::floor(GET_Y_LPARAM(lParam) / m_scale))};
}

Gdiplus::Bitmap* ClockWindow::picture(const std::string& name) {
    if (name.empty()) return nullptr;
    auto found = m_pictures.find(name);
    if (found == m_pictures.end()) {
        // A missing picture leaves the control empty.
        std::unique_ptr<Gdiplus::Bitmap> loaded = loadPicture(appFolder() + '\\' + name);
        if (loaded && loaded->GetLastStatus() != Gdiplus::Ok) loaded.reset();
        found = m_pictures.emplace(name, std::move(loaded)).first;
    }
    return found->second.get();
}

HFONT ClockWindow::font(const std::string& name, bool bold, int pixelSize) {
    const int size = static_cast<int>(std::lround(pixelSize * m_scale));
    auto key = std::make_tuple(name, bold, size);
    auto found = m_fonts.find(key);
    if (found == m_fonts.end()) {
        OwnedFont made(CreateFontW(-size, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                   DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                   ANTIALIASED_QUALITY, DEFAULT_PITCH, widen(name).c_str()));
        found = m_fonts.emplace(std::move(key), std::move(made)).first;
    }
    return found->second.get();
}

void ClockWindow::drawPicture(HDC dc, Control control) {
    const ControlView& view = m_rules->view(control);
    Gdiplus::Bitmap* bitmap = picture(view.picture);
    if (!bitmap || !view.visible) return;
    const RECT box = scaled(face::rowOf(control).rect);
    Gdiplus::Graphics graphics(dc);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    // Drawn at its own size (at the monitor's scale) from the control's corner,
    // cut to the control.
    graphics.SetClip(Gdiplus::Rect(box.left, box.top, box.right - box.left, box.bottom - box.top));
    const auto size = [this](UINT v) { return static_cast<INT>(std::lround(v * m_scale)); };
    graphics.DrawImage(bitmap, Gdiplus::Rect(box.left, box.top, size(bitmap->GetWidth()),
                                             size(bitmap->GetHeight())));
}

void ClockWindow::drawLabel(HDC dc, Control control) {
    const ControlView& view = m_rules->view(control);
    if (!view.visible) return;
    const face::ControlRow& face = face::rowOf(control);
    RECT rect = scaled(face.rect);
    const OwnedBrush brush(CreateSolidBrush(face.look.box));
    FillRect(dc, &rect, brush.get());
    const SelectedObject selected(dc, font(view.fontName, view.bold, face.look.fontPx));
    SetTextColor(dc, face.look.text);
    SetBkMode(dc, TRANSPARENT);
    const std::wstring caption = widen(view.caption);
    const UINT align = face.look.align == face::Align::center ? DT_CENTER : DT_LEFT;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &rect,
              align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void ClockWindow::paint(HDC target) {
    RECT client{};
    GetClientRect(m_window, &client);
    const int width = client.right, height = client.bottom;
    const OwnedDc dc(CreateCompatibleDC(target));
    const OwnedBitmap canvas(CreateCompatibleBitmap(target, width, height));
    const SelectedObject selected(dc.get(), canvas.get());
    FillRect(dc.get(), &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (m_rules) {
        // Bottom-most first, so later controls lie on top.
        for (const face::ControlRow& row : face::controls()) {
            if (row.kind() == face::Kind::picture)
                drawPicture(dc.get(), row.id);
            else
                drawLabel(dc.get(), row.id);
        }
        if (const auto mark = m_rules->focusMark(GetFocus() == m_window))
            drawFocusMark(dc.get(), scaled(*mark),
                          std::max(1, static_cast<int>(std::lround(m_scale))));
    }
    BitBlt(target, 0, 0, width, height, dc.get(), 0, 0, SRCCOPY);
}

void ClockWindow::mouseDown(LPARAM lParam, int button) {
    // The window keeps the mouse while a button is held, so the release comes
    // back here wherever it happens and a lost mouse is heard of.
    SetCapture(m_window);
    const POINT at = designPoint(lParam);
    apply([&](FormWindow& rules) { return rules.mouseDown(at.x, at.y, button); });
}

void ClockWindow::mouseMove(WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    // The tray icon's notifications come as mouse moves too (its callback
    // message), with the notification number for x: a move at a point where
    // the pointer is not, while no button is held in the window.
    const DWORD where = GetMessagePos();
    POINT pointer{GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    ScreenToClient(m_window, &pointer);
    if (GetCapture() != m_window && (pointer.x != x || pointer.y != y)) {
        logDebug(LogCategory::tray, "tray notification " + std::to_string(x));
        apply([x](FormWindow& rules) { return rules.trayNotification(x); });
        return;
    }
    const POINT at = designPoint(lParam);
    apply([&](FormWindow& rules) { return rules.mouseMove(at.x, at.y, heldButtons(wParam)); });
}

void ClockWindow::mouseUp(LPARAM lParam, int button) {
    const POINT at = designPoint(lParam);
    // The mouse is let go before the handler runs, as a click may open a dialog.
    if (GetCapture() == m_window) {
        m_releasing = true;  // the WM_CAPTURECHANGED of this release is no loss
        ReleaseCapture();
        m_releasing = false;
    }
    logDebug(LogCategory::ui, "button " + std::to_string(button) + " released at " +
                                  std::to_string(at.x) + "," + std::to_string(at.y));
    apply([&](FormWindow& rules) { return rules.mouseUp(at.x, at.y, button); });
}

bool ClockWindow::key(WPARAM virtualKey) {
    if (!m_rules) return false;
    const std::optional<Changes> changes = m_rules->key(keyPressOf(virtualKey));
    logDebug(LogCategory::ui, "key " + std::to_string(virtualKey) + (changes ? " taken" : " left"));
    if (!changes) return false;
    // The mark moves with the focus: all of it is painted again.
    InvalidateRect(m_window, nullptr, FALSE);
    redraw(*changes);
    return true;
}

void ClockWindow::addTooltips(HINSTANCE instance) {
    INITCOMMONCONTROLSEX common{sizeof common, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&common);
    m_tooltips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 m_window, nullptr, instance, nullptr);
    if (!m_tooltips) return;
    // One tool per keyboard control, its text asked for when shown (TTN_GETDISPINFO).
    for (Control control : keyboard::focusOrder()) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = m_window;
        tool.uId = static_cast<UINT_PTR>(control);
        tool.rect = scaled(face::rowOf(control).rect);
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(m_tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void ClockWindow::placeTooltips() {
    if (!m_tooltips) return;
    for (Control control : keyboard::focusOrder()) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = m_window;
        tool.uId = static_cast<UINT_PTR>(control);
        tool.rect = scaled(face::rowOf(control).rect);
        SendMessageW(m_tooltips, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void ClockWindow::notifyChanges() {
    const std::vector<AccessibleControl> controls =
        accessibleControls(*m_rules, [this](Control c) { return scaled(face::rowOf(c).rect); });
    const bool first = m_told.empty();
    m_told.resize(controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        // Names and states only: the time's text changes every second and is
        // read when asked for, not announced.
        auto& [name, state] = m_told[i];
        const long child = static_cast<long>(i + 1);
        if (!first && name != controls[i].name)
            notifyAccessible(m_window, EVENT_OBJECT_NAMECHANGE, child);
        if (!first && state != controls[i].state)
            notifyAccessible(m_window, EVENT_OBJECT_STATECHANGE, child);
        name = controls[i].name;
        state = controls[i].state;
    }
    const long focus = childOf(m_rules->focused());
    if (GetFocus() == m_window && focus != m_toldFocus) {
        notifyAccessible(m_window, EVENT_OBJECT_FOCUS, focus);
        m_toldFocus = focus;
    }
}
