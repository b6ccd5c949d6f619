#pragma once
// IDispatch and the argument records of automation calls.

#include "platform/com/variant.h"

#include <vector>

struct ITypeInfo; // no type information objects here: the public headers stand in for type libraries

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr DISPID DISPID_NEWENUM = -4;

struct DISPPARAMS {
    VARIANTARG* rgvarg;       // arguments in reverse order: the last one first
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

struct IDispatch : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = com::guid("{00020400-0000-0000-C000-000000000046}");
    virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, OLECHAR** rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) = 0;
    virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                           VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) = 0;
};

inline constexpr IID IID_IDispatch = IDispatch::iid;

// What a collection's NewEnum (DISPID_NEWENUM) hands out for For Each.
struct IEnumVARIANT : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = com::guid("{00020404-0000-0000-C000-000000000046}");
    virtual HRESULT Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) = 0;
    virtual HRESULT Skip(ULONG celt) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumVARIANT** ppEnum) = 0;
};

namespace com {

// Positional view of a DISPPARAMS: arg(0) is the first argument as the
// caller wrote it. By-reference arguments are resolved by the coercions.
class DispArgs {
public:
    explicit DispArgs(const DISPPARAMS* p) : p_(p) {}
    UINT count() const { return p_ ? p_->cArgs - p_->cNamedArgs : 0; }
    // The value put by a property put (the named DISPID_PROPERTYPUT argument).
    const VARIANT* putValue() const;
    // First positional argument is 0; null when absent or VT_ERROR "missing".
    VARIANT* arg(UINT index) const;
    HRESULT getLong(UINT index, LONG& out) const;
    HRESULT getLongOr(UINT index, LONG fallback, LONG& out) const;
    HRESULT getBool(UINT index, VARIANT_BOOL& out) const;
    HRESULT getString(UINT index, std::string& utf8) const;

private:
    const DISPPARAMS* p_;
};

// Maps names to dispids for GetIDsOfNames, case-insensitively as automation does.
struct DispatchName {
    const char* name;
    DISPID id;
};
HRESULT lookupDispIds(const DispatchName* table, std::size_t count, OLECHAR** names, UINT cNames, DISPID* ids);

// Builds DISPPARAMS for an outgoing call from arguments in natural order.
class DispCall {
public:
    DispCall() = default;
    explicit DispCall(std::vector<VARIANT> naturalOrder);
    DISPPARAMS* params() { return &params_; }

private:
    std::vector<VARIANT> reversed_;
    DISPPARAMS params_{};
};

// Fills an EXCEPINFO from the thread's error information (if any) for a failed call.
void fillExcepInfo(EXCEPINFO* info, HRESULT hr);

} // namespace com
