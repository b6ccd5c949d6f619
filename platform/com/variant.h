#pragma once
// VARIANT with the types automation needs here, by value and by reference.

#include "platform/com/bstr.h"
#include "platform/com/safearray.h"
#include "platform/com/unknown.h"

struct IDispatch;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        ULONGLONG ullVal;
        LONG lVal;
        ULONG ulVal;
        INT intVal;
        UINT uintVal;
        BYTE bVal;
        char cVal;
        SHORT iVal;
        USHORT uiVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        LONGLONG* pllVal;
        DOUBLE* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        SAFEARRAY** pparray;
        VARIANT* pvarVal;
        void* byref;
    };
};
using VARIANTARG = VARIANT;

constexpr unsigned short VARIANT_NOVALUEPROP = 1;

void VariantInit(VARIANT* pvarg);
HRESULT VariantClear(VARIANT* pvarg);
// Deep copy: strings and arrays are duplicated, interfaces AddRef'ed; a
// by-reference source copies the reference.
HRESULT VariantCopy(VARIANT* pvargDest, const VARIANT* pvargSrc);
// As VariantCopy, but a by-reference source is copied as the value it refers to.
HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANT* pvargSrc);
// Converts between the numeric types, VT_BOOL, VT_BSTR and VT_EMPTY.
// Out of range gives DISP_E_OVERFLOW, unconvertible text DISP_E_TYPEMISMATCH.
HRESULT VariantChangeType(VARIANT* pvargDest, const VARIANT* pvarSrc, USHORT wFlags, VARTYPE vt);

namespace com {

// Owns one VARIANT.
class Variant : public VARIANT {
public:
    Variant() { VariantInit(this); }
    Variant(const Variant& o) : Variant() { VariantCopy(this, &o); }
    Variant(const VARIANT& o) : Variant() { VariantCopy(this, &o); }
    Variant(Variant&& o) noexcept
    {
        *static_cast<VARIANT*>(this) = o;
        VariantInit(&o);
    }
    Variant& operator=(const Variant& o)
    {
        if (this != &o) VariantCopy(this, &o);
        return *this;
    }
    Variant& operator=(Variant&& o) noexcept
    {
        if (this != &o) {
            VariantClear(this);
            *static_cast<VARIANT*>(this) = o;
            VariantInit(&o);
        }
        return *this;
    }
    ~Variant() { VariantClear(this); }

    static Variant i2(SHORT v);
    static Variant i4(LONG v);
    static Variant i8(LONGLONG v);
    static Variant r8(double v);
    static Variant boolean(bool v);
    static Variant string(std::string_view utf8);
    static Variant error(SCODE sc);
    static Variant array(SAFEARRAY* adopted, VARTYPE elementType);
    static Variant unknown(IUnknown* p);   // AddRef'ed
    static Variant dispatch(IDispatch* p); // AddRef'ed
    static Variant byRef(VARIANT* target);

    // Releases what is held and hands out a clean VARIANT* for an out parameter.
    VARIANT* put()
    {
        VariantClear(this);
        return this;
    }
    VARIANT detach()
    {
        VARIANT v = *this;
        VariantInit(this);
        return v;
    }
    bool empty() const { return vt == VT_EMPTY; }
};

// Coercion helpers for argument handling: the value behind a (possibly by-ref) VARIANT.
HRESULT toLong(const VARIANT& v, LONG& out);
HRESULT toLongLong(const VARIANT& v, LONGLONG& out);
HRESULT toDouble(const VARIANT& v, double& out);
HRESULT toBool(const VARIANT& v, VARIANT_BOOL& out);
HRESULT toString(const VARIANT& v, std::string& utf8);

} // namespace com
