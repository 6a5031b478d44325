#pragma once
// The window's client area for screen readers (Microsoft Active
// Accessibility): an IAccessible whose children are the painted controls,
// each described by plain data. The window answers WM_GETOBJECT with it.

#include "app/win32/SystemHeaders.h"

#include <oleacc.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/Owned.h"

// One painted control as a screen reader sees it.
struct AccessibleControl {
    std::wstring name;
    std::wstring value;        // e.g. the text a display shows; empty: none
    std::wstring description;  // the tooltip
    std::wstring shortcut;     // the key that acts on it, e.g. L"A"
    std::wstring action;       // the default action's name; empty: none
    long role = ROLE_SYSTEM_STATICTEXT;
    long state = 0;  // STATE_SYSTEM_* flags other than focus
    RECT rect{};     // client coordinates
};

// What the accessible object reads and does; the window supplies it.
struct AccessibleSource {
    // The controls in child order (child id = index + 1).
    std::function<std::vector<AccessibleControl>()> controls;
    // The child that has the keyboard focus: 0 none (the window itself).
    std::function<long()> focused;
    // Runs a child's default action, as a click on it would.
    std::function<void(long child)> act;
    // Gives a child the keyboard focus.
    std::function<void(long child)> focus;
};

// The object: IAccessible, and cutting it off from the window when the
// window goes (clients that still hold it get CO_E_OBJNOTCONNECTED then).
class AccessibleWindow : public IAccessible {
  public:
    virtual void disconnect() = 0;

  protected:
    virtual ~AccessibleWindow() = default;
};

// Makes the accessible object of a window's client area.
ComRef<AccessibleWindow> makeAccessibleWindow(HWND window, AccessibleSource source);

// The answer to WM_GETOBJECT for OBJID_CLIENT: the object, handed over with its own reference.
LRESULT answerGetObject(AccessibleWindow* object, WPARAM wParam);

// Tells screen readers what changed: EVENT_OBJECT_FOCUS, _STATECHANGE, _NAMECHANGE, ...
void notifyAccessible(HWND window, DWORD event, long child);
