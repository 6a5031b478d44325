#include "app/win32/AccessibleNews.h"

#include "app/win32/AccessibleWindow.h"
#include "app/win32/WindowAccess.h"
#include "log/Log.h"

void AccessibleNews::tell(HWND window, const FormWindow& rules,
                          const std::function<RECT(face::Control)>& place) {
    const std::vector<AccessibleControl> controls = accessibleControls(rules, place);
    const bool first = m_told.empty();
    m_told.resize(controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        auto& [name, state] = m_told[i];
        const long child = static_cast<long>(i + 1);
        if (!first && name != controls[i].name)
            notifyAccessible(window, EVENT_OBJECT_NAMECHANGE, child);
        if (!first && state != controls[i].state)
            notifyAccessible(window, EVENT_OBJECT_STATECHANGE, child);
        name = controls[i].name;
        state = controls[i].state;
    }
    const long focus = childOf(rules.focused());
    if (GetFocus() == window && focus != m_toldFocus) {
        notifyAccessible(window, EVENT_OBJECT_FOCUS, focus);
        m_toldFocus = focus;
    }
}

void AccessibleNews::alert(HWND window, const std::string& text) {
    logDebug(LogCategory::ui, "alert: " + text);
    notifyAccessible(window, EVENT_SYSTEM_ALERT, alertChild());
}
