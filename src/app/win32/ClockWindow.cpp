#include "app/win32/ClockWindow.h"

#include <windowsx.h>
// GDI+ needs min and max of its own headers' kind.
#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include <commctrl.h>

#include "app/win32/Layout.h"
#include "app/win32/Win32Services.h"
#include "app/win32/Win32Tray.h"
#include "app/win32/WindowAccess.h"
#include "clock/Keyboard.h"
#include "clock/frmMain.h"
#include "log/Log.h"
#include "platform/win32/WideText.h"
#include "ui/Texts.h"

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT_PTR kSetTimer = 2;

// What lies under a point, for mouse messages: the background, one of the
// clickable controls, or another control (whose clicks do nothing).
enum Control { Bg, ButOnOff, ButSettings, ButTrack, LblMinimize, LblClose, Other };

float twips(int px) {
    return static_cast<float>(px * geometry::kTwipsPerPixel);
}

// The button state of a mouse message's key flags: 1 left, 2 right, 4 middle.
int heldButtons(WPARAM keys) {
    return (keys & MK_LBUTTON ? 1 : 0) | (keys & MK_RBUTTON ? 2 : 0) | (keys & MK_MBUTTON ? 4 : 0);
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

    const int x = (GetSystemMetrics(SM_CXSCREEN) - geometry::kWidthPx) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - geometry::kHeightPx) / 2;
    m_window =
        CreateWindowExW(0, kClassName, widen(texts::caption).c_str(), WS_POPUP, x, y,
                        geometry::kWidthPx, geometry::kHeightPx, nullptr, nullptr, instance, this);
    AccessibleSource source;
    source.controls = [this] {
        return m_form ? accessibleControls(*m_form) : std::vector<AccessibleControl>{};
    };
    source.focused = [this] { return childOf(m_focused); };
    source.act = [this](long child) {
        PostMessageW(m_window, kAccessibleActMessage, static_cast<WPARAM>(child), 0);
    };
    source.focus = [this](long child) {
        if (child >= 1 && child <= static_cast<long>(keyboard::focusOrder.size()))
            setFocused(static_cast<keyboard::Control>(child - 1));
    };
    m_accessible = makeAccessibleWindow(m_window, std::move(source));
    addTooltips(instance);
}

ClockWindow::~ClockWindow() {
    if (m_window) DestroyWindow(m_window);
    if (m_accessible) m_accessible->disconnect();
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
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC target = BeginPaint(m_window, &ps);
            paint(target);
            EndPaint(m_window, &ps);
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
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(m_window, nullptr, FALSE);
            if (message == WM_SETFOCUS)
                notifyAccessible(m_window, EVENT_OBJECT_FOCUS, childOf(m_focused));
            return 0;
        case WM_NOTIFY: {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            if (info->hdr.hwndFrom == m_tooltips && info->hdr.code == TTN_GETDISPINFOW && m_form) {
                // The tooltip in the clock's language now.
                const size_t index = info->hdr.idFrom;
                const std::vector<AccessibleControl> controls = accessibleControls(*m_form);
                if (m_tips.size() < controls.size()) m_tips.resize(controls.size());
                m_tips[index] = controls.at(index).description;
                info->lpszText = m_tips[index].data();
            }
            return 0;
        }
        case kAccessibleActMessage:
            if (wParam >= 1 && wParam <= keyboard::focusOrder.size())
                click(static_cast<keyboard::Control>(wParam - 1));
            return 0;
        case WM_LBUTTONDOWN:
            mouseDown(x, y, 1);
            return 0;
        case WM_RBUTTONDOWN:
            mouseDown(x, y, 2);
            return 0;
        case WM_MBUTTONDOWN:
            mouseDown(x, y, 4);
            return 0;
        case WM_LBUTTONUP:
            mouseUp(x, y, 1);
            return 0;
        case WM_RBUTTONUP:
            mouseUp(x, y, 2);
            return 0;
        case WM_MBUTTONUP:
            mouseUp(x, y, 4);
            return 0;
        case WM_MOUSEMOVE:
            mouseMove(wParam, lParam);
            return 0;
        case WM_CAPTURECHANGED:
            m_dragging = false;
            return 0;
        case WM_TIMER:
            KillTimer(m_window, wParam);
            if (wParam == kTickTimer) {
                tick();
            } else if (wParam == kSetTimer) {
                m_setRunning = false;
                if (m_form) dispatch([this] { m_form->tmrSet_Timer(); });
            }
            return 0;
        case WM_TIMECHANGE:
            // The clock was set: show it, and catch an alarm minute, at once.
            tick();
            return 0;
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) tick();
            return TRUE;
        case WM_QUERYENDSESSION:
            unload();
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) unload();
            return 0;
        case WM_CLOSE:
            unload();
            DestroyWindow(m_window);
            return 0;
        case WM_DESTROY:
            if (m_accessible) m_accessible->disconnect();
            PostQuitMessage(0);
            return 0;
        case kTrackErrorMessage:
            if (m_form) dispatch([this] { m_form->wmp_Error(); });
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
    if (!m_form) return;
    handler();
    refresh();
}

void ClockWindow::tick() {
    if (m_form && m_form->tmrTime.Enabled) {
        dispatch([this] { m_form->tmrTime_Timer(); });
        // What the window shows each second, and whether the alarm is armed and rings.
        logDebug(LogCategory::ui, "lblTime " + m_form->lblTime.Caption + " lblAMPM " +
                                      m_form->lblAMPM.Caption + " butOnOff " +
                                      m_form->butOnOff.Tag + " blnAlarm " +
                                      (m_form->blnAlarm ? "1" : "0"));
    }
    // Fire just after the next wall-clock second, so the display changes with it.
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    const ULONGLONG ticks = static_cast<ULONGLONG>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
    const UINT msec = static_cast<UINT>(ticks / 10000 % 1000);
    SetTimer(m_window, kTickTimer, 1000 - msec + 5, nullptr);
}

void ClockWindow::refresh() {
    if (!m_form) return;
    InvalidateRect(m_window, nullptr, FALSE);
    notifyChanges();
    // The mute timer follows its enabled flag.
    const Timer& set = m_form->tmrSet;
    if (set.Enabled && !m_setRunning) {
        SetTimer(m_window, kSetTimer, static_cast<UINT>(set.Interval), nullptr);
        m_setRunning = true;
    } else if (!set.Enabled && m_setRunning) {
        KillTimer(m_window, kSetTimer);
        m_setRunning = false;
    }
}

void ClockWindow::unload() {
    if (m_form) m_form->Form_Unload();
    KillTimer(m_window, kTickTimer);
    KillTimer(m_window, kSetTimer);
    m_setRunning = false;
}

Gdiplus::Bitmap* ClockWindow::picture(const std::string& name) {
    if (name.empty()) return nullptr;
    auto found = m_pictures.find(name);
    if (found == m_pictures.end()) {
        // A missing picture leaves the control empty.
        std::unique_ptr<Gdiplus::Bitmap> loaded(
            Gdiplus::Bitmap::FromFile(widen(appFolder() + '\\' + name).c_str()));
        if (loaded && loaded->GetLastStatus() != Gdiplus::Ok) loaded.reset();
        found = m_pictures.emplace(name, std::move(loaded)).first;
    }
    return found->second.get();
}

namespace {

void drawPicture(HDC dc, Gdiplus::Bitmap* bitmap, const layout::Box& box, bool visible) {
    if (!bitmap || !visible) return;
    Gdiplus::Graphics graphics(dc);
    // Drawn at its own size from the control's corner, cut to the control.
    graphics.SetClip(Gdiplus::Rect(box.x, box.y, box.width, box.height));
    graphics.DrawImage(bitmap, box.x, box.y, static_cast<INT>(bitmap->GetWidth()),
                       static_cast<INT>(bitmap->GetHeight()));
}

void drawLabel(HDC dc, const Label& label, const layout::Box& box, int pixelSize, COLORREF text,
               COLORREF background, UINT align) {
    if (!label.Visible) return;
    RECT rect{box.x, box.y, box.x + box.width, box.y + box.height};
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
    HFONT font = CreateFontW(-pixelSize, 0, 0, 0, label.FontBold ? FW_BOLD : FW_NORMAL, FALSE,
                             FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             ANTIALIASED_QUALITY, DEFAULT_PITCH, widen(label.FontName).c_str());
    HGDIOBJ previous = SelectObject(dc, font);
    SetTextColor(dc, text);
    SetBkMode(dc, TRANSPARENT);
    const std::wstring caption = widen(label.Caption);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &rect,
              align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
    DeleteObject(font);
}

}  // namespace

void ClockWindow::paint(HDC target) {
    const int width = geometry::kWidthPx, height = geometry::kHeightPx;
    HDC dc = CreateCompatibleDC(target);
    HBITMAP canvas = CreateCompatibleBitmap(target, width, height);
    HGDIOBJ previous = SelectObject(dc, canvas);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    if (m_form) {
        using namespace layout;
        const frmMain& f = *m_form;
        // Bottom-most first, so later controls lie on top.
        drawPicture(dc, picture(f.bg.Picture), bg, f.bg.Visible);
        drawLabel(dc, f.lblTime, lblTime, kDisplayPx, kCyan, kBlack, DT_CENTER);
        drawLabel(dc, f.lblAMPM, lblAMPM, kDisplayPx, kCyan, kBlack, DT_CENTER);
        drawLabel(dc, f.lblClose, lblClose, kCornerPx, kLightGrey, kBlack, DT_CENTER);
        drawLabel(dc, f.lblMinimize, lblMinimize, kCornerPx, kLightGrey, kBlack, DT_CENTER);
        drawPicture(dc, picture(f.butSong.Picture), butSong, f.butSong.Visible);
        drawPicture(dc, picture(f.butBuzz.Picture), butBuzz, f.butBuzz.Visible);
        drawPicture(dc, picture(f.butTrack.Picture), butTrack, f.butTrack.Visible);
        drawLabel(dc, f.lblTrack, lblTrack, kTrackPx, kBlack, kGrey, DT_LEFT);
        drawPicture(dc, picture(f.butSettings.Picture), butSettings, f.butSettings.Visible);
        drawPicture(dc, picture(f.butOnOff.Picture), butOnOff, f.butOnOff.Visible);
        drawLabel(dc, f.lblAlarm, lblAlarm, kAlarmPx, kCyan, kBlack, DT_LEFT);
        if (m_keyboardUsed && GetFocus() == m_window)
            drawFocusMark(dc, boxOf(accessible::partOf(m_focused)));
    }

    BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    SelectObject(dc, previous);
    DeleteObject(canvas);
    DeleteDC(dc);
}

namespace {

// The topmost visible control at a point of the window.
Control controlAt(const frmMain& f, int x, int y) {
    using namespace layout;
    if (f.lblAlarm.Visible && lblAlarm.contains(x, y)) return Other;
    if (f.butOnOff.Visible && butOnOff.contains(x, y)) return ButOnOff;
    if (f.butSettings.Visible && butSettings.contains(x, y)) return ButSettings;
    if (f.lblTrack.Visible && lblTrack.contains(x, y)) return Other;
    if (f.butTrack.Visible && butTrack.contains(x, y)) return ButTrack;
    if (f.butBuzz.Visible && butBuzz.contains(x, y)) return Other;
    if (f.butSong.Visible && butSong.contains(x, y)) return Other;
    if (f.lblMinimize.Visible && lblMinimize.contains(x, y)) return LblMinimize;
    if (f.lblClose.Visible && lblClose.contains(x, y)) return LblClose;
    if (f.lblAMPM.Visible && lblAMPM.contains(x, y)) return Other;
    if (f.lblTime.Visible && lblTime.contains(x, y)) return Other;
    return Bg;
}

}  // namespace

void ClockWindow::mouseDown(int x, int y, int button) {
    if (!m_form) return;
    m_pressed = controlAt(*m_form, x, y);
    if (m_pressed != Bg) return;
    // The background keeps the mouse while a button is held, as a drag needs.
    SetCapture(m_window);
    m_dragging = true;
    dispatch([&] { m_form->bg_MouseDown(button, twips(x), twips(y)); });
}

void ClockWindow::mouseMove(WPARAM wParam, LPARAM lParam) {
    if (!m_form) return;
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    // The tray icon's notifications come as mouse moves too (its callback
    // message), with the notification number for x: a move at a point where
    // the pointer is not.
    const DWORD at = GetMessagePos();
    POINT pointer{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    ScreenToClient(m_window, &pointer);
    if (!m_dragging && (pointer.x != x || pointer.y != y)) {
        logDebug(LogCategory::tray, "tray notification " + std::to_string(x));
        dispatch([&] { m_form->SysTray_Notification(x); });
        return;
    }
    const int buttons = heldButtons(wParam);
    if (m_dragging || controlAt(*m_form, x, y) == Bg)
        dispatch([&] { m_form->bg_MouseMove(buttons, twips(x), twips(y)); });
    else
        dispatch([&] { m_form->Form_MouseMove(buttons, twips(x), twips(y)); });
}

void ClockWindow::mouseUp(int x, int y, int button) {
    if (!m_form) return;
    const int pressed = m_pressed;
    m_pressed = -1;
    if (m_dragging) {
        m_dragging = false;
        ReleaseCapture();
        dispatch([&] { m_form->bg_MouseUp(button, twips(x), twips(y)); });
        if (layout::bg.contains(x, y)) dispatch([&] { m_form->bg_Click(); });
        return;
    }
    // A click is a left-button release over the control that was pressed.
    logDebug(LogCategory::ui, "button " + std::to_string(button) + " released at " +
                                  std::to_string(x) + "," + std::to_string(y) + " on control " +
                                  std::to_string(pressed));
    if (button != 1 || pressed != controlAt(*m_form, x, y)) return;
    switch (pressed) {
        case ButOnOff:
            dispatch([&] { m_form->butOnOff_Click(); });
            break;
        case ButSettings:
            dispatch([&] { m_form->butSettings_Click(); });
            break;
        case ButTrack:
            dispatch([&] { m_form->butTrack_Click(); });
            break;
        case LblMinimize:
            dispatch([&] { m_form->lblMinimize_Click(); });
            break;
        case LblClose:
            dispatch([&] { m_form->lblClose_Click(); });
            break;
        default:
            break;
    }
}

bool ClockWindow::key(WPARAM virtualKey) {
    if (!m_form) return false;
    const keyboard::Response response = keyboard::respond(keyPressOf(virtualKey), m_focused);
    logDebug(LogCategory::ui, "key " + std::to_string(virtualKey) +
                                  (response.handled ? " handled" : " not handled"));
    if (!response.handled) return false;
    m_keyboardUsed = true;
    if (response.focus) setFocused(*response.focus);
    InvalidateRect(m_window, nullptr, FALSE);
    if (response.click) click(*response.click);
    return true;
}

void ClockWindow::setFocused(keyboard::Control control) {
    if (control == m_focused) return;
    m_focused = control;
    InvalidateRect(m_window, nullptr, FALSE);
    if (GetFocus() == m_window) notifyAccessible(m_window, EVENT_OBJECT_FOCUS, childOf(control));
}

void ClockWindow::click(keyboard::Control control) {
    if (!m_form) return;
    logDebug(LogCategory::ui, "clicks control " + std::to_string(static_cast<int>(control)));
    dispatch([&] { clickControl(*m_form, control); });
}

void ClockWindow::addTooltips(HINSTANCE instance) {
    INITCOMMONCONTROLSEX common{sizeof common, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&common);
    m_tooltips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 m_window, nullptr, instance, nullptr);
    if (!m_tooltips) return;
    // One tool per control, its text asked for when shown (TTN_GETDISPINFO).
    for (keyboard::Control control : keyboard::focusOrder) {
        const layout::Box box = boxOf(accessible::partOf(control));
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = m_window;
        tool.uId = static_cast<UINT_PTR>(control);
        tool.rect = RECT{box.x, box.y, box.x + box.width, box.y + box.height};
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(m_tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void ClockWindow::notifyChanges() {
    const std::vector<AccessibleControl> controls = accessibleControls(*m_form);
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
}
