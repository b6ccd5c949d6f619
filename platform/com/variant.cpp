#include "platform/com/variant.h"

#include "platform/com/dispatch.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

constexpr USHORT VARIANT_ALPHABOOL = 0x2;

void VariantInit(VARIANT* pvarg)
{
    if (!pvarg) return;
    pvarg->vt = VT_EMPTY;
    pvarg->wReserved1 = pvarg->wReserved2 = pvarg->wReserved3 = 0;
    pvarg->llVal = 0;
}

HRESULT VariantClear(VARIANT* pvarg)
{
    if (!pvarg) return E_INVALIDARG;
    if (!(pvarg->vt & VT_BYREF)) {
        if (pvarg->vt & VT_ARRAY) {
            if (pvarg->parray) {
                HRESULT hr = SafeArrayDestroy(pvarg->parray);
                if (FAILED(hr)) return hr;
            }
        } else {
            switch (pvarg->vt) {
            case VT_BSTR:
                SysFreeString(pvarg->bstrVal);
                break;
            case VT_UNKNOWN:
                if (pvarg->punkVal) pvarg->punkVal->Release();
                break;
            case VT_DISPATCH:
                if (pvarg->pdispVal) pvarg->pdispVal->Release();
                break;
            default:
                break;
            }
        }
    }
    VariantInit(pvarg);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src)
{
    if (!dest || !src) return E_INVALIDARG;
    if (dest == src) return S_OK;
    VARIANT tmp = *src;
    if (!(src->vt & VT_BYREF)) {
        if (src->vt & VT_ARRAY) {
            HRESULT hr = SafeArrayCopy(src->parray, &tmp.parray);
            if (FAILED(hr)) return hr;
        } else if (src->vt == VT_BSTR) {
            if (src->bstrVal) {
                tmp.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
                if (!tmp.bstrVal) return E_OUTOFMEMORY;
            }
        } else if (src->vt == VT_UNKNOWN) {
            if (tmp.punkVal) tmp.punkVal->AddRef();
        } else if (src->vt == VT_DISPATCH) {
            if (tmp.pdispVal) tmp.pdispVal->AddRef();
        }
    }
    VariantClear(dest);
    *dest = tmp;
    return S_OK;
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src)
{
    if (!dest || !src) return E_INVALIDARG;
    if (!(src->vt & VT_BYREF)) return VariantCopy(dest, src);
    VARIANT value;
    VariantInit(&value);
    const VARTYPE base = src->vt & ~VT_BYREF;
    if (!src->byref) return E_INVALIDARG;
    if (base == VT_VARIANT) return VariantCopyInd(dest, src->pvarVal);
    value.vt = base;
    if (base & VT_ARRAY) {
        value.parray = *src->pparray;
    } else {
        switch (base) {
        case VT_UI1: value.bVal = *src->pbVal; break;
        case VT_I2: value.iVal = *src->piVal; break;
        case VT_BOOL: value.boolVal = *src->pboolVal; break;
        case VT_I4: value.lVal = *src->plVal; break;
        case VT_ERROR: value.scode = *src->pscode; break;
        case VT_I8: value.llVal = *src->pllVal; break;
        case VT_R8: value.dblVal = *src->pdblVal; break;
        case VT_BSTR: value.bstrVal = *src->pbstrVal; break;
        case VT_UNKNOWN: value.punkVal = *src->ppunkVal; break;
        case VT_DISPATCH: value.pdispVal = *src->ppdispVal; break;
        default: return DISP_E_BADVARTYPE;
        }
    }
    // value borrows; VariantCopy makes the owned duplicate.
    return VariantCopy(dest, &value);
}

namespace {

bool isInteger(VARTYPE vt)
{
    switch (vt) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4:
    case VT_I8: case VT_UI8: case VT_INT: case VT_UINT: case VT_BOOL: case VT_ERROR:
        return true;
    default:
        return false;
    }
}

long long integerValue(const VARIANT& v)
{
    switch (v.vt) {
    case VT_I1: return v.cVal;
    case VT_UI1: return v.bVal;
    case VT_I2: return v.iVal;
    case VT_UI2: return v.uiVal;
    case VT_I4: case VT_INT: return v.lVal;
    case VT_UI4: case VT_UINT: return v.ulVal;
    case VT_I8: return v.llVal;
    case VT_UI8: return static_cast<long long>(v.ullVal);
    case VT_BOOL: return v.boolVal;
    case VT_ERROR: return v.scode;
    default: return 0;
    }
}

std::string trimmed(std::string s)
{
    std::size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return s.substr(a, b - a);
}

bool iequals(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return i == a.size() && !b[i];
}

// Value of the source as a double, or as an exact 64-bit integer when it is one.
struct Number {
    bool integral = true;
    long long i = 0;
    double d = 0;
};

HRESULT numberOf(const VARIANT& v, Number& n)
{
    if (v.vt == VT_EMPTY) return S_OK;
    if (isInteger(v.vt)) {
        n.i = integerValue(v);
        return S_OK;
    }
    if (v.vt == VT_R8 || v.vt == VT_DATE) {
        n.integral = false;
        n.d = v.dblVal;
        return S_OK;
    }
    if (v.vt == VT_R4) {
        n.integral = false;
        n.d = v.fltVal;
        return S_OK;
    }
    if (v.vt == VT_BSTR) {
        std::string s = trimmed(com::toUtf8(v.bstrVal));
        if (iequals(s, "true")) { n.i = -1; return S_OK; }
        if (iequals(s, "false")) { n.i = 0; return S_OK; }
        if (s.empty()) return DISP_E_TYPEMISMATCH;
        long long iv = 0;
        auto r = std::from_chars(s.data(), s.data() + s.size(), iv);
        if (r.ec == std::errc() && r.ptr == s.data() + s.size()) {
            n.i = iv;
            return S_OK;
        }
        double dv = 0;
        auto rd = std::from_chars(s.data(), s.data() + s.size(), dv);
        if (rd.ec == std::errc::result_out_of_range) return DISP_E_OVERFLOW;
        if (rd.ec != std::errc() || rd.ptr != s.data() + s.size()) return DISP_E_TYPEMISMATCH;
        n.integral = false;
        n.d = dv;
        return S_OK;
    }
    return DISP_E_TYPEMISMATCH;
}

// Rounds half to even as automation's float-to-integer conversion does.
HRESULT toRange(const Number& n, long long lo, long long hi, long long& out)
{
    if (n.integral) {
        if (n.i < lo || n.i > hi) return DISP_E_OVERFLOW;
        out = n.i;
        return S_OK;
    }
    if (!std::isfinite(n.d)) return DISP_E_OVERFLOW;
    double r = std::nearbyint(n.d);
    if (r < double(lo) || r > double(hi) || r >= 9.2233720368547758e18) return DISP_E_OVERFLOW;
    out = static_cast<long long>(r);
    return S_OK;
}

} // namespace

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* srcIn, USHORT flags, VARTYPE vt)
{
    if (!dest || !srcIn) return E_INVALIDARG;
    com::Variant src;
    HRESULT hr = VariantCopyInd(&src, srcIn);
    if (FAILED(hr)) return hr;
    if (src.vt == vt) return VariantCopy(dest, &src);

    VARIANT out;
    VariantInit(&out);
    out.vt = vt;
    if (vt == VT_BSTR) {
        std::string text;
        if (src.vt == VT_EMPTY) {
        } else if (src.vt == VT_BOOL) {
            text = (flags & VARIANT_ALPHABOOL) ? (src.boolVal ? "True" : "False") : (src.boolVal ? "-1" : "0");
        } else if (isInteger(src.vt)) {
            text = std::to_string(integerValue(src));
        } else if (src.vt == VT_R8 || src.vt == VT_R4 || src.vt == VT_DATE) {
            char buf[64];
            double d = src.vt == VT_R4 ? src.fltVal : src.dblVal;
            auto r = std::to_chars(buf, buf + sizeof buf, d);
            text.assign(buf, r.ptr);
        } else {
            return DISP_E_TYPEMISMATCH;
        }
        out.bstrVal = com::allocBstr(text);
        if (!out.bstrVal) return E_OUTOFMEMORY;
    } else if (vt == VT_EMPTY) {
        // Anything converts to empty.
    } else {
        Number n;
        hr = numberOf(src, n);
        if (FAILED(hr)) return hr;
        long long v = 0;
        switch (vt) {
        case VT_BOOL:
            out.boolVal = (n.integral ? n.i != 0 : n.d != 0) ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case VT_R8:
            out.dblVal = n.integral ? double(n.i) : n.d;
            break;
        case VT_R4:
            out.fltVal = static_cast<float>(n.integral ? double(n.i) : n.d);
            break;
        case VT_UI1:
            if (FAILED(hr = toRange(n, 0, 255, v))) return hr;
            out.bVal = static_cast<BYTE>(v);
            break;
        case VT_I2:
            if (FAILED(hr = toRange(n, -32768, 32767, v))) return hr;
            out.iVal = static_cast<SHORT>(v);
            break;
        case VT_UI2:
            if (FAILED(hr = toRange(n, 0, 65535, v))) return hr;
            out.uiVal = static_cast<USHORT>(v);
            break;
        case VT_I4:
        case VT_INT:
            if (FAILED(hr = toRange(n, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max(), v))) return hr;
            out.lVal = static_cast<LONG>(v);
            break;
        case VT_UI4:
        case VT_UINT:
            if (FAILED(hr = toRange(n, 0, 0xFFFFFFFFll, v))) return hr;
            out.ulVal = static_cast<ULONG>(v);
            break;
        case VT_I8:
            if (FAILED(hr = toRange(n, std::numeric_limits<long long>::min(), std::numeric_limits<long long>::max(), v))) return hr;
            out.llVal = v;
            break;
        default:
            return DISP_E_BADVARTYPE;
        }
    }
    VariantClear(dest);
    *dest = out;
    return S_OK;
}

namespace com {

Variant Variant::i2(SHORT v)
{
    Variant r;
    r.vt = VT_I2;
    r.iVal = v;
    return r;
}
Variant Variant::i4(LONG v)
{
    Variant r;
    r.vt = VT_I4;
    r.lVal = v;
    return r;
}
Variant Variant::i8(LONGLONG v)
{
    Variant r;
    r.vt = VT_I8;
    r.llVal = v;
    return r;
}
Variant Variant::r8(double v)
{
    Variant r;
    r.vt = VT_R8;
    r.dblVal = v;
    return r;
}
Variant Variant::boolean(bool v)
{
    Variant r;
    r.vt = VT_BOOL;
    r.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
    return r;
}
Variant Variant::string(std::string_view utf8)
{
    Variant r;
    r.vt = VT_BSTR;
    r.bstrVal = allocBstr(utf8);
    return r;
}
Variant Variant::error(SCODE sc)
{
    Variant r;
    r.vt = VT_ERROR;
    r.scode = sc;
    return r;
}
Variant Variant::array(SAFEARRAY* adopted, VARTYPE elementType)
{
    Variant r;
    r.vt = VT_ARRAY | elementType;
    r.parray = adopted;
    return r;
}
Variant Variant::unknown(IUnknown* p)
{
    Variant r;
    r.vt = VT_UNKNOWN;
    r.punkVal = p;
    if (p) p->AddRef();
    return r;
}
Variant Variant::dispatch(IDispatch* p)
{
    Variant r;
    r.vt = VT_DISPATCH;
    r.pdispVal = p;
    if (p) p->AddRef();
    return r;
}
Variant Variant::byRef(VARIANT* target)
{
    Variant r;
    r.vt = VT_BYREF | VT_VARIANT;
    r.pvarVal = target;
    return r;
}

namespace {
template <class T>
HRESULT convert(const VARIANT& v, VARTYPE vt, T VARIANT::*member, T& out)
{
    Variant tmp;
    HRESULT hr = VariantChangeType(&tmp, &v, 0, vt);
    if (SUCCEEDED(hr)) out = tmp.*member;
    return hr;
}
} // namespace

HRESULT toLong(const VARIANT& v, LONG& out) { return convert(v, VT_I4, &VARIANT::lVal, out); }
HRESULT toLongLong(const VARIANT& v, LONGLONG& out) { return convert(v, VT_I8, &VARIANT::llVal, out); }
HRESULT toDouble(const VARIANT& v, double& out) { return convert(v, VT_R8, &VARIANT::dblVal, out); }
HRESULT toBool(const VARIANT& v, VARIANT_BOOL& out) { return convert(v, VT_BOOL, &VARIANT::boolVal, out); }
HRESULT toString(const VARIANT& v, std::string& utf8)
{
    Variant tmp;
    HRESULT hr = VariantChangeType(&tmp, &v, VARIANT_ALPHABOOL, VT_BSTR);
    if (SUCCEEDED(hr)) utf8 = toUtf8(tmp.bstrVal);
    return hr;
}

} // namespace com
