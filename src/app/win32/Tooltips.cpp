#include "app/win32/Tooltips.h"

#include <utility>

#include "platform/win32/WideText.h"

using face::Control;

Tooltips::Tooltips(HWND owner, HINSTANCE instance, std::function<RECT(Control)> place)
    : m_owner(owner), m_place(std::move(place)), m_tips(face::kControlCount) {
    INITCOMMONCONTROLSEX common{sizeof common, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&common);
    m_tooltips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 m_owner, nullptr, instance, nullptr);
    if (!m_tooltips) return;
    // One tool per keyboard control, its text asked for when shown (TTN_GETDISPINFO).
    for (Control control : keyboard::focusOrder()) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = m_owner;
        tool.uId = static_cast<UINT_PTR>(control);
        tool.rect = m_place(control);
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(m_tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void Tooltips::place() {
    if (!m_tooltips) return;
    for (Control control : keyboard::focusOrder()) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = m_owner;
        tool.uId = static_cast<UINT_PTR>(control);
        tool.rect = m_place(control);
        SendMessageW(m_tooltips, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

bool Tooltips::answer(NMHDR* header, const FormWindow& rules) {
    if (header->hwndFrom != m_tooltips || header->code != TTN_GETDISPINFOW) return false;
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    // The tooltip in the clock's language now.
    const auto control = static_cast<Control>(info->hdr.idFrom);
    std::wstring& tip = m_tips.at(static_cast<size_t>(control));
    // None while a dialog has disabled the window: a tooltip with no text is not shown.
    tip = IsWindowEnabled(m_owner) ? widen(rules.describe(control).tooltip) : std::wstring();
    info->lpszText = tip.data();
    return true;
}

void Tooltips::disabled() {
    if (m_tooltips) SendMessageW(m_tooltips, TTM_POP, 0, 0);
}
