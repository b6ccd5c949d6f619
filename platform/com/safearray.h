#pragma once
// One-dimensional SAFEARRAY of plain element types (VT_UI1, VT_I2, VT_I4,
// VT_I8, VT_R8, VT_BOOL) and of VT_BSTR, which owns its strings.

#include "platform/com/types.h"

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
    VARTYPE vt; // element type, kept beside the bound of the single dimension
};

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
HRESULT SafeArrayDestroy(SAFEARRAY* psa);
HRESULT SafeArrayLock(SAFEARRAY* psa);
HRESULT SafeArrayUnlock(SAFEARRAY* psa);
HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);
UINT SafeArrayGetDim(SAFEARRAY* psa);
UINT SafeArrayGetElemsize(SAFEARRAY* psa);
HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);
HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);
HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt);
// For VT_BSTR the element put is copied and the element got is a fresh copy.
HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv);
HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv);
HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut);
// Changes the element count of the (only) dimension, keeping the elements that remain.
HRESULT SafeArrayRedim(SAFEARRAY* psa, SAFEARRAYBOUND* psaboundNew);

namespace com {

// Element count of a one-dimensional array; 0 for null.
ULONG elementCount(const SAFEARRAY* psa);

// Owns one SAFEARRAY.
class SafeArray {
public:
    SafeArray() = default;
    SafeArray(VARTYPE vt, ULONG count) : a_(SafeArrayCreateVector(vt, 0, count)) {}
    SafeArray(const SafeArray&) = delete;
    SafeArray& operator=(const SafeArray&) = delete;
    SafeArray(SafeArray&& o) noexcept : a_(o.a_) { o.a_ = nullptr; }
    SafeArray& operator=(SafeArray&& o) noexcept
    {
        if (this != &o) {
            reset();
            a_ = o.a_;
            o.a_ = nullptr;
        }
        return *this;
    }
    ~SafeArray() { reset(); }

    static SafeArray adopt(SAFEARRAY* a)
    {
        SafeArray r;
        r.a_ = a;
        return r;
    }
    void reset()
    {
        if (a_) SafeArrayDestroy(a_);
        a_ = nullptr;
    }
    SAFEARRAY* get() const { return a_; }
    SAFEARRAY* detach()
    {
        auto* a = a_;
        a_ = nullptr;
        return a;
    }
    SAFEARRAY** put()
    {
        reset();
        return &a_;
    }
    ULONG size() const { return elementCount(a_); }
    template <class T>
    T* data() const
    {
        return a_ ? static_cast<T*>(a_->pvData) : nullptr;
    }

private:
    SAFEARRAY* a_ = nullptr;
};

} // namespace com
