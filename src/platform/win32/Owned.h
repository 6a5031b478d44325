#pragma once
// Owning types for what Windows hands out: each gives its handle, reference
// or memory back exactly once when it goes, so no function pairs a create
// with a release by hand.

#include <windows.h>

#include <objbase.h>
#include <propidl.h>

#include <memory>
#include <type_traits>
#include <utility>

// A COM interface pointer, released exactly once.
template <typename Interface>
class ComRef {
  public:
    ComRef() = default;
    // Takes over a reference the caller holds.
    explicit ComRef(Interface* adopted) : m_object(adopted) {}
    ~ComRef() { reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    ComRef& operator=(ComRef&& other) noexcept {
        if (this != &other) {
            reset();
            m_object = std::exchange(other.m_object, nullptr);
        }
        return *this;
    }

    Interface* get() const { return m_object; }
    Interface* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    // For a call that hands out a new reference; the one held before is released.
    Interface** put() {
        reset();
        return &m_object;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    // Hands the reference on to the caller, who releases it.
    Interface* detach() { return std::exchange(m_object, nullptr); }
    void reset() {
        if (m_object) std::exchange(m_object, nullptr)->Release();
    }

  private:
    Interface* m_object = nullptr;
};

// A kernel handle, closed exactly once.
struct HandleCloser {
    void operator()(HANDLE handle) const {
        if (handle) CloseHandle(handle);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Memory COM hands out for the caller to free (CoTaskMemFree).
struct TaskMemFree {
    void operator()(void* memory) const { CoTaskMemFree(memory); }
};
template <typename T>
using TaskMem = std::unique_ptr<T, TaskMemFree>;

// Memory a system call hands out for the caller to free (LocalFree).
struct LocalMemFree {
    void operator()(void* memory) const { LocalFree(memory); }
};
template <typename T>
using LocalMem = std::unique_ptr<T, LocalMemFree>;

// A PROPVARIANT, cleared when it goes.
class PropVariant {
  public:
    PropVariant() { PropVariantInit(&m_value); }
    ~PropVariant() { PropVariantClear(&m_value); }
    PropVariant(const PropVariant&) = delete;
    PropVariant& operator=(const PropVariant&) = delete;
    PROPVARIANT& get() { return m_value; }

  private:
    PROPVARIANT m_value;
};

// COM on the calling thread for as long as it lives, in the apartment of
// `model` (COINIT_APARTMENTTHREADED for a window's thread).
class ComApartment {
  public:
    explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED)
        : m_ready(SUCCEEDED(CoInitializeEx(nullptr, model))) {}
    ~ComApartment() {
        if (m_ready) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool ready() const { return m_ready; }

  private:
    bool m_ready;
};

// GDI's objects, device contexts and windows.
struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
template <typename Handle>
using OwnedGdi = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;
using OwnedBrush = OwnedGdi<HBRUSH>;
using OwnedFont = OwnedGdi<HFONT>;
using OwnedBitmap = OwnedGdi<HBITMAP>;

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using OwnedDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using OwnedWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

struct IconDestroyer {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using OwnedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

// A window's device context (the screen's for no window), for a scope.
class WindowDc {
  public:
    explicit WindowDc(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~WindowDc() { ReleaseDC(m_window, m_dc); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return m_dc; }

  private:
    HWND m_window;
    HDC m_dc;
};

// An object selected into a device context for a scope.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(m_dc, m_previous); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

  private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// BeginPaint and EndPaint of one WM_PAINT.
class PaintScope {
  public:
    explicit PaintScope(HWND window) : m_window(window) { m_dc = BeginPaint(window, &m_paint); }
    ~PaintScope() { EndPaint(m_window, &m_paint); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return m_dc; }
    // The part of the window to paint, in client pixels.
    const RECT& area() const { return m_paint.rcPaint; }

  private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc;
};
