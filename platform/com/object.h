#pragma once
// Implements<I...>: IUnknown for a class that implements the listed
// interfaces. QueryInterface answers each listed interface and every interface
// it derives from (an interface names its parent as `Base`); IUnknown is
// answered through the first listed interface, so identity holds.

#include "platform/com/unknown.h"

#include <atomic>

namespace com {

template <class I>
constexpr bool interfaceChainHas(REFIID riid)
{
    if (riid == I::iid) return true;
    if constexpr (requires { typename I::Base; })
        return interfaceChainHas<typename I::Base>(riid);
    else
        return false;
}

template <class First, class... Rest>
class Implements : public First, public Rest... {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid == IUnknown::iid) {
            *ppv = static_cast<IUnknown*>(static_cast<First*>(this));
        } else if (!find<First, Rest...>(riid, ppv)) {
            return queryOther(riid, ppv);
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

protected:
    Implements() = default;
    virtual ~Implements() = default;
    // Hook for interfaces answered by other objects (a connection point, say);
    // must AddRef what it hands out except that Implements adds one after
    // success, so an override sets *ppv and returns S_OK without AddRef.
    virtual HRESULT queryOther(REFIID, void**) { return E_NOINTERFACE; }
    ULONG refCount() const { return refs_.load(); }

private:
    template <class I, class... More>
    bool find(REFIID riid, void** ppv)
    {
        if (interfaceChainHas<I>(riid)) {
            *ppv = static_cast<I*>(this);
            return true;
        }
        if constexpr (sizeof...(More) > 0)
            return find<More...>(riid, ppv);
        else
            return false;
    }

    std::atomic<ULONG> refs_{1};
};

// Creates an object with one reference held by the returned pointer.
template <class T, class... Args>
T* makeObject(Args&&... args)
{
    return new T(static_cast<Args&&>(args)...);
}

} // namespace com
