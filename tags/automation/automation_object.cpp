#include "tags/automation/automation_object.h"

#include <cstring>

namespace tagmora::automation {

namespace {

// A copy of v with any reference resolved.
HRESULT valueOf(const VARIANT* v, com::Variant& out)
{
    if (!v) return DISP_E_PARAMNOTFOUND;
    return VariantCopyInd(out.put(), v);
}

} // namespace

std::u16string textOf(BSTR b) { return std::u16string(com::view(b)); }

BSTR newBstr(std::u16string_view text)
{
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

bool bytesOf(SAFEARRAY* array, ByteVector& out)
{
    out.clear();
    if (!array) return true;
    VARTYPE vt = VT_EMPTY;
    if (SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetVartype(array, &vt)) || vt != VT_UI1) return false;
    ULONG count = com::elementCount(array);
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) return false;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out.assign(bytes, bytes + count);
    SafeArrayUnaccessData(array);
    return true;
}

SAFEARRAY* newByteArray(ByteView bytes)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!array) return nullptr;
    if (!bytes.empty()) std::memcpy(array->pvData, bytes.data(), bytes.size());
    return array;
}

HRESULT argText(const VARIANT* v, std::u16string& out)
{
    com::Variant value;
    if (HRESULT hr = valueOf(v, value); FAILED(hr)) return hr;
    com::Variant text;
    if (HRESULT hr = VariantChangeType(&text, &value, 0, VT_BSTR); FAILED(hr)) return hr;
    out = textOf(text.bstrVal);
    return S_OK;
}

HRESULT argBytes(const VARIANT* v, ByteVector& out)
{
    com::Variant value;
    if (HRESULT hr = valueOf(v, value); FAILED(hr)) return hr;
    if (value.vt != (VT_ARRAY | VT_UI1)) return DISP_E_TYPEMISMATCH;
    return bytesOf(value.parray, out) ? S_OK : DISP_E_TYPEMISMATCH;
}

HRESULT argLong(const VARIANT* v, LONG& out) { return v ? com::toLong(*v, out) : DISP_E_PARAMNOTFOUND; }

HRESULT argByte(const VARIANT* v, BYTE& out)
{
    LONG n = 0;
    if (HRESULT hr = argLong(v, n); FAILED(hr)) return hr;
    if (n < 0 || n > 255) return DISP_E_OVERFLOW;
    out = static_cast<BYTE>(n);
    return S_OK;
}

HRESULT argBool(const VARIANT* v, VARIANT_BOOL& out) { return v ? com::toBool(*v, out) : DISP_E_PARAMNOTFOUND; }

HRESULT argObject(const VARIANT* v, IUnknown*& out)
{
    out = nullptr;
    if (!v) return DISP_E_PARAMNOTFOUND;
    const VARIANT* value = (v->vt & VT_BYREF) && (v->vt & VT_TYPEMASK) == VT_VARIANT ? v->pvarVal : v;
    switch (value->vt) {
    case VT_DISPATCH: out = value->pdispVal; return S_OK;
    case VT_UNKNOWN: out = value->punkVal; return S_OK;
    case VT_DISPATCH | VT_BYREF: out = value->ppdispVal ? *value->ppdispVal : nullptr; return S_OK;
    case VT_UNKNOWN | VT_BYREF: out = value->ppunkVal ? *value->ppunkVal : nullptr; return S_OK;
    case VT_EMPTY: return S_OK;
    default: return DISP_E_TYPEMISMATCH;
    }
}

HRESULT resultBstr(VARIANT* result, BSTR value)
{
    if (!result) return SysFreeString(value), S_OK;
    result->vt = VT_BSTR;
    result->bstrVal = value;
    return S_OK;
}

HRESULT resultLong(VARIANT* result, LONG value)
{
    if (result) result->vt = VT_I4, result->lVal = value;
    return S_OK;
}

HRESULT resultByte(VARIANT* result, BYTE value)
{
    if (result) result->vt = VT_UI1, result->bVal = value;
    return S_OK;
}

HRESULT resultBool(VARIANT* result, VARIANT_BOOL value)
{
    if (result) result->vt = VT_BOOL, result->boolVal = value;
    return S_OK;
}

HRESULT resultArray(VARIANT* result, SAFEARRAY* value)
{
    if (!result) return SafeArrayDestroy(value), S_OK;
    result->vt = VT_ARRAY | VT_UI1;
    result->parray = value;
    return S_OK;
}

HRESULT resultObject(VARIANT* result, IDispatch* value)
{
    if (!result) {
        if (value) value->Release();
        return S_OK;
    }
    result->vt = VT_DISPATCH;
    result->pdispVal = value;
    return S_OK;
}

HRESULT resultUnknown(VARIANT* result, IUnknown* value)
{
    if (!result) {
        if (value) value->Release();
        return S_OK;
    }
    result->vt = VT_UNKNOWN;
    result->punkVal = value;
    return S_OK;
}

} // namespace tagmora::automation
