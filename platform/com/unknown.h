#pragma once
// IUnknown and IClassFactory, laid out in COM's vtable order. Interfaces are
// pure virtual structs without a virtual destructor, so the vtable holds
// exactly the declared members in declaration order; `iid` is a static member
// and takes no slot.

#include "platform/com/guid.h"

struct IUnknown {
    static constexpr IID iid = com::guid("{00000000-0000-0000-C000-000000000046}");
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
};

struct IClassFactory : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = com::guid("{00000001-0000-0000-C000-000000000046}");
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
    virtual HRESULT LockServer(int fLock) = 0;
};

inline constexpr IID IID_IUnknown = IUnknown::iid;
inline constexpr IID IID_IClassFactory = IClassFactory::iid;
