#include "app/win32/AccessibleWindow.h"

#include <new>
#include <utility>

#include "platform/win32/ComObject.h"

namespace {

class ClientAccessible final : public ComObject<AccessibleWindow, IAccessible, IDispatch> {
  public:
    ClientAccessible(HWND window, AccessibleSource source)
        : m_window(window), m_source(std::move(source)) {}
    ClientAccessible(const ClientAccessible&) = delete;
    ClientAccessible& operator=(const ClientAccessible&) = delete;

    void disconnect() override { m_window = nullptr; }

    // IDispatch: no type information; clients call IAccessible directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!m_window) return CO_E_OBJNOTCONNECTED;
        // The system's object for the whole window (frame and client).
        return AccessibleObjectFromWindow(m_window, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                          reinterpret_cast<void**>(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        if (!m_window) return CO_E_OBJNOTCONNECTED;
        *count = static_cast<long>(controls().size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!m_window) return CO_E_OBJNOTCONNECTED;
        // The children are simple elements, reached through this object.
        return childIndex(child) > 0 ? S_FALSE : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return text(child, name, [this](const AccessibleControl* c) {
            if (c) return c->name;
            wchar_t title[256] = L"";
            GetWindowTextW(m_window, title, 256);
            return std::wstring(title);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return text(child, value,
                    [](const AccessibleControl* c) { return c ? c->value : std::wstring(); });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return text(child, description,
                    [](const AccessibleControl* c) { return c ? c->description : std::wstring(); });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        VariantInit(role);
        if (!m_window) return CO_E_OBJNOTCONNECTED;
        const long index = childIndex(child);
        if (index < 0) return E_INVALIDARG;
        role->vt = VT_I4;
        role->lVal = index == 0 ? ROLE_SYSTEM_CLIENT : controls()[index - 1].role;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        VariantInit(state);
        if (!m_window) return CO_E_OBJNOTCONNECTED;
        const long index = childIndex(child);
        if (index < 0) return E_INVALIDARG;
        const bool hasFocus = GetFocus() == m_window;
        long flags = STATE_SYSTEM_FOCUSABLE;
        if (index > 0) flags = controls()[index - 1].state;
        if (hasFocus && focused() == index) flags |= STATE_SYSTEM_FOCUSED;
        if (!IsWindowVisible(m_window)) flags |= STATE_SYSTEM_INVISIBLE;
        state->vt = VT_I4;
        state->lVal = flags;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
        if (!help) return E_POINTER;
        *help = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (!file || !topic) return E_POINTER;
        *file = nullptr;
        *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return text(child, shortcut,
                    [](const AccessibleControl* c) { return c ? c->shortcut : std::wstring(); });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        if (!m_window) return CO_E_OBJNOTCONNECTED;
        if (GetFocus() != m_window) return S_FALSE;
        out->vt = VT_I4;
        out->lVal = focused();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        return m_window ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return text(child, action,
                    [](const AccessibleControl* c) { return c ? c->action : std::wstring(); });
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        if (!m_window) return CO_E_OBJNOTCONNECTED;
        const long index = childIndex(child);
        if (index < 0) return E_INVALIDARG;
        if (!(flags & SELFLAG_TAKEFOCUS)) return S_FALSE;
        SetFocus(m_window);
        if (m_source.focus) m_source.focus(index);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        if (!m_window) return CO_E_OBJNOTCONNECTED;
        const long index = childIndex(child);
        if (index < 0) return E_INVALIDARG;
        RECT rect{};
        if (index == 0)
            GetClientRect(m_window, &rect);
        else
            rect = controls()[index - 1].rect;
        POINT corner{rect.left, rect.top};
        ClientToScreen(m_window, &corner);
        *left = corner.x;
        *top = corner.y;
        *width = rect.right - rect.left;
        *height = rect.bottom - rect.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        VariantInit(end);
        if (!m_window) return CO_E_OBJNOTCONNECTED;
        const long index = childIndex(start);
        if (index < 0) return E_INVALIDARG;
        const long count = static_cast<long>(controls().size());
        long to = 0;
        if (index == 0 && direction == NAVDIR_FIRSTCHILD)
            to = 1;
        else if (index == 0 && direction == NAVDIR_LASTCHILD)
            to = count;
        else if (index > 0 && (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN))
            to = index + 1;
        else if (index > 0 && (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP))
            to = index - 1;
        if (to < 1 || to > count) return S_FALSE;
        end->vt = VT_I4;
        end->lVal = to;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        if (!m_window) return CO_E_OBJNOTCONNECTED;
        POINT at{x, y};
        ScreenToClient(m_window, &at);
        RECT client{};
        GetClientRect(m_window, &client);
        if (!PtInRect(&client, at)) return S_FALSE;
        const std::vector<AccessibleControl> all = controls();
        out->vt = VT_I4;
        out->lVal = CHILDID_SELF;
        for (size_t i = 0; i < all.size(); ++i)
            if (PtInRect(&all[i].rect, at)) out->lVal = static_cast<long>(i + 1);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!m_window) return CO_E_OBJNOTCONNECTED;
        const long index = childIndex(child);
        if (index < 0) return E_INVALIDARG;
        if (index == 0 || controls()[index - 1].action.empty()) return DISP_E_MEMBERNOTFOUND;
        if (m_source.act) m_source.act(index);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

  private:
    std::vector<AccessibleControl> controls() const {
        return m_source.controls ? m_source.controls() : std::vector<AccessibleControl>{};
    }
    long focused() const { return m_source.focused ? m_source.focused() : 0; }

    // 0 for the window itself, 1..n for a control, -1 for anything else.
    long childIndex(const VARIANT& child) const {
        if (child.vt != VT_I4) return -1;
        const long id = child.lVal;
        if (id == CHILDID_SELF) return 0;
        return id >= 1 && id <= static_cast<long>(controls().size()) ? id : -1;
    }

    template <typename Read>
    HRESULT text(const VARIANT& child, BSTR* out, Read read) {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!m_window) return CO_E_OBJNOTCONNECTED;
        const long index = childIndex(child);
        if (index < 0) return E_INVALIDARG;
        std::vector<AccessibleControl> all;
        const AccessibleControl* control = nullptr;
        if (index > 0) {
            all = controls();
            control = &all[index - 1];
        }
        const std::wstring value = read(control);
        if (value.empty()) return S_FALSE;
        *out = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    HWND m_window;
    AccessibleSource m_source;
};

}  // namespace

ComRef<AccessibleWindow> makeAccessibleWindow(HWND window, AccessibleSource source) {
    // The new object's one reference goes to the ComRef.
    return ComRef<AccessibleWindow>(new (std::nothrow) ClientAccessible(window, std::move(source)));
}

LRESULT answerGetObject(AccessibleWindow* object, WPARAM wParam) {
    if (!object) return 0;
    return LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(object));
}

void notifyAccessible(HWND window, DWORD event, long child) {
    NotifyWinEvent(event, window, OBJID_CLIENT, child);
}
