#include "platform/com/safearray.h"

#include "platform/com/variant.h"

#include <cstdlib>
#include <cstring>

namespace {

ULONG elementSize(VARTYPE vt)
{
    switch (vt) {
    case VT_UI1:
    case VT_I1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_R4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
        return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_DATE:
        return 8;
    case VT_BSTR:
        return sizeof(BSTR);
    default:
        return 0;
    }
}

bool validIndex(SAFEARRAY* psa, LONG* idx, std::size_t& offset)
{
    if (!psa || !idx) return false;
    const LONG lb = psa->rgsabound[0].lLbound;
    const LONGLONG rel = LONGLONG(*idx) - lb;
    if (rel < 0 || rel >= LONGLONG(psa->rgsabound[0].cElements)) return false;
    offset = std::size_t(rel) * psa->cbElements;
    return true;
}

void freeStrings(SAFEARRAY* psa, ULONG from, ULONG to)
{
    if (psa->vt != VT_BSTR) return;
    auto* items = static_cast<BSTR*>(psa->pvData);
    for (ULONG i = from; i < to; ++i) {
        SysFreeString(items[i]);
        items[i] = nullptr;
    }
}

} // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound)
{
    if (cDims != 1 || !rgsabound) return nullptr;
    return SafeArrayCreateVector(vt, rgsabound[0].lLbound, rgsabound[0].cElements);
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements)
{
    const ULONG size = elementSize(vt);
    if (size == 0) return nullptr;
    if (cElements > 0 && std::size_t(cElements) > (std::size_t(1) << 40) / size) return nullptr;
    auto* psa = static_cast<SAFEARRAY*>(std::calloc(1, sizeof(SAFEARRAY)));
    if (!psa) return nullptr;
    psa->cDims = 1;
    psa->cbElements = size;
    psa->vt = vt;
    psa->rgsabound[0] = {cElements, lLbound};
    // calloc zero-fills, which also makes every BSTR element null.
    psa->pvData = std::calloc(cElements ? cElements : 1, size);
    if (!psa->pvData) {
        std::free(psa);
        return nullptr;
    }
    return psa;
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa)
{
    if (!psa) return S_OK;
    if (psa->cLocks > 0) return DISP_E_ARRAYISLOCKED;
    freeStrings(psa, 0, psa->rgsabound[0].cElements);
    std::free(psa->pvData);
    std::free(psa);
    return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* psa)
{
    if (!psa) return E_INVALIDARG;
    ++psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa)
{
    if (!psa) return E_INVALIDARG;
    if (psa->cLocks == 0) return E_UNEXPECTED;
    --psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData)
{
    if (!psa || !ppvData) return E_INVALIDARG;
    ++psa->cLocks;
    *ppvData = psa->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) { return SafeArrayUnlock(psa); }

UINT SafeArrayGetDim(SAFEARRAY* psa) { return psa ? psa->cDims : 0; }

UINT SafeArrayGetElemsize(SAFEARRAY* psa) { return psa ? psa->cbElements : 0; }

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound)
{
    if (!psa || !plLbound) return E_INVALIDARG;
    if (nDim != 1) return DISP_E_BADINDEX;
    *plLbound = psa->rgsabound[0].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound)
{
    if (!psa || !plUbound) return E_INVALIDARG;
    if (nDim != 1) return DISP_E_BADINDEX;
    *plUbound = static_cast<LONG>(LONGLONG(psa->rgsabound[0].lLbound) + psa->rgsabound[0].cElements - 1);
    return S_OK;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt)
{
    if (!psa || !pvt) return E_INVALIDARG;
    *pvt = psa->vt;
    return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv)
{
    std::size_t off = 0;
    if (!pv) return E_INVALIDARG;
    if (!validIndex(psa, rgIndices, off)) return DISP_E_BADINDEX;
    auto* src = static_cast<char*>(psa->pvData) + off;
    if (psa->vt == VT_BSTR) {
        BSTR s = *reinterpret_cast<BSTR*>(src);
        BSTR copy = s ? SysAllocStringLen(s, SysStringLen(s)) : nullptr;
        if (s && !copy) return E_OUTOFMEMORY;
        *static_cast<BSTR*>(pv) = copy;
    } else {
        std::memcpy(pv, src, psa->cbElements);
    }
    return S_OK;
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv)
{
    std::size_t off = 0;
    if (!validIndex(psa, rgIndices, off)) return DISP_E_BADINDEX;
    auto* dst = static_cast<char*>(psa->pvData) + off;
    if (psa->vt == VT_BSTR) {
        // pv is the BSTR itself, as in COM.
        BSTR s = static_cast<BSTR>(pv);
        BSTR copy = s ? SysAllocStringLen(s, SysStringLen(s)) : nullptr;
        if (s && !copy) return E_OUTOFMEMORY;
        SysFreeString(*reinterpret_cast<BSTR*>(dst));
        *reinterpret_cast<BSTR*>(dst) = copy;
    } else {
        if (!pv) return E_INVALIDARG;
        std::memcpy(dst, pv, psa->cbElements);
    }
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut)
{
    if (!ppsaOut) return E_INVALIDARG;
    *ppsaOut = nullptr;
    if (!psa) return S_OK;
    SAFEARRAY* copy = SafeArrayCreateVector(psa->vt, psa->rgsabound[0].lLbound, psa->rgsabound[0].cElements);
    if (!copy) return E_OUTOFMEMORY;
    const ULONG n = psa->rgsabound[0].cElements;
    if (psa->vt == VT_BSTR) {
        auto* from = static_cast<BSTR*>(psa->pvData);
        auto* to = static_cast<BSTR*>(copy->pvData);
        for (ULONG i = 0; i < n; ++i) {
            if (!from[i]) continue;
            to[i] = SysAllocStringLen(from[i], SysStringLen(from[i]));
            if (!to[i]) {
                SafeArrayDestroy(copy);
                return E_OUTOFMEMORY;
            }
        }
    } else if (n) {
        std::memcpy(copy->pvData, psa->pvData, std::size_t(n) * psa->cbElements);
    }
    *ppsaOut = copy;
    return S_OK;
}

HRESULT SafeArrayRedim(SAFEARRAY* psa, SAFEARRAYBOUND* psaboundNew)
{
    if (!psa || !psaboundNew) return E_INVALIDARG;
    if (psa->cLocks > 0) return DISP_E_ARRAYISLOCKED;
    const ULONG oldCount = psa->rgsabound[0].cElements;
    const ULONG newCount = psaboundNew->cElements;
    if (newCount < oldCount) freeStrings(psa, newCount, oldCount);
    void* grown = std::realloc(psa->pvData, std::size_t(newCount ? newCount : 1) * psa->cbElements);
    if (!grown) return E_OUTOFMEMORY;
    psa->pvData = grown;
    if (newCount > oldCount)
        std::memset(static_cast<char*>(grown) + std::size_t(oldCount) * psa->cbElements, 0,
                    std::size_t(newCount - oldCount) * psa->cbElements);
    psa->rgsabound[0] = *psaboundNew;
    return S_OK;
}

namespace com {

ULONG elementCount(const SAFEARRAY* psa) { return psa ? psa->rgsabound[0].cElements : 0; }

} // namespace com
