#include "app/win32/ClockWindow.h"

#include <algorithm>
#include <chrono>

#include "app/win32/TrayCallback.h"
#include "app/win32/Win32Tray.h"
#include "app/win32/WindowAccess.h"
#include "clock/frmMain.h"
#include "log/Log.h"
#include "platform/win32/WideText.h"
#include "ui/Texts.h"

using face::Control;

namespace {

constexpr UINT_PTR kDueTimer = 1;

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

    // The window procedure takes the handle into m_window at WM_NCCREATE.
    CreateWindowExW(0, kClassName, widen(texts::caption).c_str(), WS_POPUP, 0, 0,
                    geometry::kWidthPx, geometry::kHeightPx, nullptr, nullptr, instance, this);
    setScale(windowDpi(handle()));
    RECT screen{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
    const int width = m_scale.pixels(geometry::kWidthPx);
    const int height = m_scale.pixels(geometry::kHeightPx);
    SetWindowPos(handle(), nullptr, screen.left + (screen.right - screen.left - width) / 2,
                 screen.top + (screen.bottom - screen.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    AccessibleSource source;
    source.controls = [this] {
        if (!m_rules) return std::vector<AccessibleControl>{};
        return accessibleControls(*m_rules, [this](Control c) { return scaled(c); });
    };
    source.focused = [this] { return m_rules ? childOf(m_rules->focused()) : 0L; };
    source.act = [this](long child) {
        PostMessageW(handle(), kAccessibleActMessage, static_cast<WPARAM>(child), 0);
    };
    source.focus = [this](long child) {
        if (!m_rules || child < 1 || child >= alertChild()) return;
        m_rules->setFocused(controlOfChild(child));
        InvalidateRect(handle(), nullptr, FALSE);
        notifyChanges();
    };
    m_accessible = makeAccessibleWindow(handle(), std::move(source));
    m_tooltips.emplace(handle(), instance, [this](Control c) { return scaled(c); });
}

ClockWindow::~ClockWindow() {
    destroy();
}

void ClockWindow::destroy() {
    if (m_accessible) m_accessible->disconnect();
    m_window.reset();
}

void ClockWindow::setForm(frmMain* form) {
    m_rules = form ? std::make_unique<FormWindow>(*form) : nullptr;
}

void ClockWindow::setScale(UINT dpi) {
    m_scale = WindowScale(dpi);
    m_painter.setScale(m_scale);
    logDebug(LogCategory::ui, "dots per inch " + std::to_string(dpi));
}

RECT ClockWindow::scaled(Control control) const {
    return m_scale.scaled(face::rowOf(control).rect);
}

LRESULT CALLBACK ClockWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<ClockWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_window.reset(window);
    }
    auto* self = reinterpret_cast<ClockWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && self->handle() == window) return self->handle(message, wParam, lParam);
    // Not made yet, or going after its owner let go of it.
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT ClockWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = handle();
    switch (message) {
        case WM_PAINT: {
            const PaintScope painting(window);
            m_painter.paint(painting.dc(), painting.area(), m_rules.get(), GetFocus() == window);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_GETOBJECT:
            if (static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT))
                return answerGetObject(m_accessible.get(), wParam);
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (key(wParam)) return 0;
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_WINDOWPOSCHANGED:
            // Shown (at start, from the tray, by another start): the keyboard comes here.
            // Back from the tray, it also shows the time now and ticks each second again.
            if (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) {
                if (m_rules) m_rules->shown();  // the first control has the focus
                SetForegroundWindow(window);
                SetFocus(window);
                armTimer();
            }
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(window, nullptr, FALSE);
            m_news.forgetFocus();
            if (message == WM_SETFOCUS) notifyChanges();
            return 0;
        case WM_ENABLE:
            // A dialog of the clock opens (the window is disabled) or closes.
            if (m_tooltips && !wParam) m_tooltips->disabled();
            return 0;
        case WM_NOTIFY:
            if (m_tooltips && m_rules)
                m_tooltips->answer(reinterpret_cast<NMHDR*>(lParam), *m_rules);
            return 0;
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
            SetWindowPos(window, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            InvalidateRect(window, nullptr, FALSE);
            if (m_tooltips) m_tooltips->place();
            return 0;
        }
        case WM_LBUTTONDOWN:
            apply(m_mouse.down(window, m_scale.designPoint(lParam), face::kLeftButton));
            return 0;
        case WM_RBUTTONDOWN:
            apply(m_mouse.down(window, m_scale.designPoint(lParam), face::kRightButton));
            return 0;
        case WM_MBUTTONDOWN:
            apply(m_mouse.down(window, m_scale.designPoint(lParam), face::kMiddleButton));
            return 0;
        case WM_LBUTTONUP:
            apply(m_mouse.up(window, m_scale.designPoint(lParam), face::kLeftButton));
            return 0;
        case WM_RBUTTONUP:
            apply(m_mouse.up(window, m_scale.designPoint(lParam), face::kRightButton));
            return 0;
        case WM_MBUTTONUP:
            apply(m_mouse.up(window, m_scale.designPoint(lParam), face::kMiddleButton));
            return 0;
        case WM_MOUSEMOVE:
            if (const std::optional<int> tray = trayNotification(window, lParam))
                apply([x = *tray](FormWindow& rules) { return rules.trayNotification(x); });
            else
                apply(m_mouse.move(m_scale.designPoint(lParam), wParam));
            return 0;
        case WM_CAPTURECHANGED:
            apply(m_mouse.captureChanged(window, reinterpret_cast<HWND>(lParam)));
            return 0;
        case WM_CANCELMODE:
            apply(&FormWindow::mouseLost);
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_TIMER:
            KillTimer(window, wParam);
            apply(&FormWindow::timersDue);
            return 0;
        case WM_TIMECHANGE:
            // The clock was set: show it, and catch an alarm minute, at once.
            apply(&FormWindow::tick);
            return 0;
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND)
                apply(&FormWindow::tick);
            return TRUE;
        case WM_QUERYENDSESSION:
            logDebug(LogCategory::ui, "session end asked");
            apply(&FormWindow::sessionQuery);
            return TRUE;
        case WM_ENDSESSION:
            logDebug(LogCategory::ui, wParam ? "session ends" : "session end cancelled");
            apply(
                [ending = wParam != FALSE](FormWindow& rules) { return rules.sessionEnd(ending); });
            if (wParam) destroy();
            return 0;
        case WM_CLOSE:
            apply(&FormWindow::unload);
            destroy();
            return 0;
        case WM_DESTROY:
            // Destroyed by another than its owner (which destroy() would have let go first).
            if (m_accessible) m_accessible->disconnect();
            KillTimer(window, kDueTimer);
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            m_window.release();
            return DefWindowProcW(window, message, wParam, lParam);
        case kShowMessage:
            ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
            SetForegroundWindow(window);
            logDebug(LogCategory::ui, "shown at another start's request");
            return 0;
        case kPostedMessage:
            // One at a time: a dialog's message loop in one runs the next.
            while (std::optional<std::function<void()>> work = m_posted.take()) dispatch(*work);
            return 0;
        default:
            if (message == Win32Tray::taskbarCreatedMessage() && m_tray) {
                m_tray->restore();
                apply(&FormWindow::trayChanged);
                return 0;
            }
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

void ClockWindow::post(std::function<void()> handler) {
    m_posted.add(std::move(handler));
    PostMessageW(handle(), kPostedMessage, 0, 0);
}

void ClockWindow::dispatch(const std::function<void()>& handler) {
    if (m_rules) redraw(m_rules->run(handler));
}

void ClockWindow::apply(const std::function<Changes(FormWindow&)>& event) {
    if (m_rules && event) redraw(event(*m_rules));
}

void ClockWindow::armTimer() {
    using namespace std::chrono;
    const std::optional<Instant> due = m_rules ? m_rules->nextDue() : std::nullopt;
    if (!due) {
        KillTimer(handle(), kDueTimer);
        return;
    }
    // The time source's clock is the system's wall clock.
    const long long wait = duration_cast<milliseconds>(*due - system_clock::now()).count();
    SetTimer(handle(), kDueTimer,
             static_cast<UINT>(std::clamp<long long>(wait, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM)),
             nullptr);
}

void ClockWindow::redraw(const Changes& changes) {
    // Only the controls that changed are painted again.
    for (const face::ControlRow& row : face::controls()) {
        if (!changes.changed(row.id)) continue;
        const RECT rect = scaled(row.id);
        InvalidateRect(handle(), &rect, FALSE);
    }
    if (m_rules) notifyChanges();
    // The ring, told to screen readers through the alert child that says it.
    if (!changes.alert.empty()) AccessibleNews::alert(handle(), changes.alert);
    armTimer();
}

bool ClockWindow::key(WPARAM virtualKey) {
    if (!m_rules) return false;
    const std::optional<Changes> changes = m_rules->key(keyPressOf(virtualKey));
    logDebug(LogCategory::ui, "key " + std::to_string(virtualKey) + (changes ? " taken" : " left"));
    if (!changes) return false;
    // The mark moves with the focus: all of it is painted again.
    InvalidateRect(handle(), nullptr, FALSE);
    redraw(*changes);
    return true;
}

void ClockWindow::notifyChanges() {
    m_news.tell(handle(), *m_rules, [this](Control c) { return scaled(c); });
}
