#pragma once
// Owning holders for what Windows hands out: a COM interface pointer released
// exactly once, a kernel handle closed exactly once.

#include <windows.h>

#include <memory>
#include <utility>

template <typename Interface>
class ComRef {
  public:
    ComRef() = default;
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
    void reset() {
        if (m_object) std::exchange(m_object, nullptr)->Release();
    }

  private:
    Interface* m_object = nullptr;
};

struct HandleCloser {
    void operator()(HANDLE handle) const {
        if (handle) CloseHandle(handle);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// COM on the calling thread for as long as it lives (a free-threaded apartment).
class ComApartment {
  public:
    ComApartment() : m_ready(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~ComApartment() {
        if (m_ready) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool ready() const { return m_ready; }

  private:
    bool m_ready;
};
