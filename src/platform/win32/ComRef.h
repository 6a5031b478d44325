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

// COM on the calling thread for as long as it lives (a free-threaded apartment).
class MtaApartment {
  public:
    MtaApartment() : m_ready(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~MtaApartment() {
        if (m_ready) CoUninitialize();
    }
    MtaApartment(const MtaApartment&) = delete;
    MtaApartment& operator=(const MtaApartment&) = delete;
    bool ready() const { return m_ready; }

  private:
    bool m_ready;
};
