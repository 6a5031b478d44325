// A screen reader's view of a window, from another process, for the tests
// under Wine: AccessibleObjectFromWindow on the window's client area, then
// each child's name, role, state, place, default action, value and shortcut,
// one line per child in UTF-8:
//   child <id>|<name>|<role>|<state, hex>|<x>,<y>,<w>,<h>|<action>|<value>|<shortcut>
//
//   accessible_probe read TITLE           print the window's children
//   accessible_probe act TITLE CHILD      run a child's default action

// The system's headers come after the core's (SystemHeaders.h says why).
#include "app/win32/SystemHeaders.h"

#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/Owned.h"

namespace {

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring wide(const char* text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), size);
    out.resize(static_cast<size_t>(size > 0 ? size - 1 : 0));
    return out;
}

// A BSTR read into a string and freed.
template <typename Get>
std::string readText(Get get) {
    BSTR text = nullptr;
    const HRESULT result = get(&text);
    std::wstring value = SUCCEEDED(result) && text ? std::wstring(text, SysStringLen(text)) : L"";
    SysFreeString(text);
    return utf8(value);
}

VARIANT childVariant(long id) {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

ComRef<IAccessible> clientOf(const wchar_t* title) {
    ComRef<IAccessible> client;
    HWND window = FindWindowW(nullptr, title);
    if (!window) {
        std::printf("no window\n");
        return client;
    }
    const HRESULT result = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                                      IID_IAccessible, client.putVoid());
    if (FAILED(result)) std::printf("AccessibleObjectFromWindow failed %08lx\n", result);
    return client;
}

// The window that takes the keys now (its title and class), for a test that
// finds a key lost.
std::string foreground() {
    const HWND window = GetForegroundWindow();
    wchar_t title[128] = L"", kind[128] = L"";
    GetWindowTextW(window, title, 128);
    GetClassNameW(window, kind, 128);
    return utf8(title) + " (" + utf8(kind) + ")";
}

int read(const wchar_t* title) {
    ComRef<IAccessible> client = clientOf(title);
    if (!client) return 1;
    long count = 0;
    client->get_accChildCount(&count);
    std::printf("children %ld\n", count);
    std::printf("foreground %s\n", foreground().c_str());
    VARIANT focus;
    VariantInit(&focus);
    if (client->get_accFocus(&focus) == S_OK && focus.vt == VT_I4)
        std::printf("focus %ld\n", focus.lVal);
    VariantClear(&focus);
    for (long id = 0; id <= count; ++id) {
        VARIANT child = childVariant(id);
        VARIANT role, state;
        VariantInit(&role);
        VariantInit(&state);
        client->get_accRole(child, &role);
        client->get_accState(child, &state);
        long x = 0, y = 0, w = 0, h = 0;
        client->accLocation(&x, &y, &w, &h, child);
        std::printf(
            "child %ld|%s|%ld|%lx|%ld,%ld,%ld,%ld|%s|%s|%s\n", id,
            readText([&](BSTR* t) { return client->get_accName(child, t); }).c_str(),
            role.vt == VT_I4 ? role.lVal : -1L, state.vt == VT_I4 ? state.lVal : 0L, x, y, w, h,
            readText([&](BSTR* t) { return client->get_accDefaultAction(child, t); }).c_str(),
            readText([&](BSTR* t) { return client->get_accValue(child, t); }).c_str(),
            readText([&](BSTR* t) { return client->get_accKeyboardShortcut(child, t); }).c_str());
        VariantClear(&role);
        VariantClear(&state);
    }
    std::fflush(stdout);
    return 0;
}

int act(const wchar_t* title, long id) {
    ComRef<IAccessible> client = clientOf(title);
    if (!client) return 1;
    const HRESULT result = client->accDoDefaultAction(childVariant(id));
    std::printf("accDoDefaultAction %08lx\n", result);
    std::fflush(stdout);
    return SUCCEEDED(result) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int status = 2;
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "read" && argc > 2)
        status = read(wide(argv[2]).c_str());
    else if (mode == "act" && argc > 3)
        status = act(wide(argv[2]).c_str(), std::atol(argv[3]));
    else
        std::printf("usage: accessible_probe read TITLE | act TITLE CHILD\n");
    CoUninitialize();
    return status;
}
