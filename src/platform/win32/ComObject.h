#pragma once
// IUnknown for an object of the program's own that Windows calls through its
// interfaces: reference counted from one (the creator's reference), deleted
// at its last release. It answers IUnknown and `Interfaces` (or `Base`'s own
// interface when none are named), each of which `Base` derives from.

#include <windows.h>

#include <atomic>

template <typename Base, typename... Interfaces>
class ComObject : public Base {
  public:
    virtual ~ComObject() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == __uuidof(IUnknown))
            *object = static_cast<IUnknown*>(this);
        else if constexpr (sizeof...(Interfaces) == 0)
            *object = iid == __uuidof(Base) ? static_cast<Base*>(this) : nullptr;
        else
            ((!*object && iid == __uuidof(Interfaces) ? * object = static_cast<Interfaces*>(this)
                                                      : nullptr),
             ...);
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_references;
        if (left == 0) delete this;
        return left;
    }

  private:
    std::atomic<ULONG> m_references{1};
};
