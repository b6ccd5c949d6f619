#pragma once
// What every automation class of the library shares: IDispatch over a name
// table and one invoke hook, ISupportErrorInfo, the object count for
// DllCanUnloadNow, and the turning of a TagError into an HRESULT with error
// information. No C++ exception leaves a member.

#include "platform/com/errorinfo.h"
#include "platform/com/server_module.h"
#include "tags/Tagmora.h"
#include "tags/byte_vector.h"
#include "tags/errors.h"

#include <new>
#include <span>
#include <string>

namespace tagmora::automation {

// Runs body; a TagError becomes its code with source and message set as the
// thread's error information.
template <class F>
HRESULT guarded(REFIID iid, F&& body) noexcept
{
    try {
        body();
        return S_OK;
    } catch (const TagError& e) {
        return com::setError(e.code(), e.description(), e.source(), iid);
    } catch (const std::bad_alloc&) {
        return com::setError(E_OUTOFMEMORY, "Out of memory", Tagmora::kLibraryName, iid);
    } catch (const std::exception& e) {
        return com::setError(E_FAIL, e.what(), Tagmora::kLibraryName, iid);
    }
}

// ---- conversions at the boundary ----

std::u16string textOf(BSTR b);
BSTR newBstr(std::u16string_view text); // null when out of memory
// The bytes of a VT_UI1 array (a null array is empty); false for any other array.
bool bytesOf(SAFEARRAY* array, ByteVector& out);
SAFEARRAY* newByteArray(ByteView bytes);

// Arguments of Invoke, by-reference values resolved.
HRESULT argText(const VARIANT* v, std::u16string& out);
HRESULT argBytes(const VARIANT* v, ByteVector& out);
HRESULT argLong(const VARIANT* v, LONG& out);
HRESULT argByte(const VARIANT* v, BYTE& out);
HRESULT argBool(const VARIANT* v, VARIANT_BOOL& out);
HRESULT argObject(const VARIANT* v, IUnknown*& out); // borrowed; null for Nothing

// Results of Invoke; each takes ownership of what it is given.
HRESULT resultBstr(VARIANT* result, BSTR value);
HRESULT resultLong(VARIANT* result, LONG value);
HRESULT resultByte(VARIANT* result, BYTE value);
HRESULT resultBool(VARIANT* result, VARIANT_BOOL value);
HRESULT resultArray(VARIANT* result, SAFEARRAY* value);
HRESULT resultObject(VARIANT* result, IDispatch* value);
HRESULT resultUnknown(VARIANT* result, IUnknown* value);

template <class Primary>
class AutomationObject : public com::Implements<Primary, ISupportErrorInfo>, private com::server::ModuleObject {
public:
    HRESULT GetTypeInfoCount(UINT* count) override
    {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, OLECHAR** names, UINT count, LCID, DISPID* ids) override
    {
        auto table = dispatchNames();
        return com::lookupDispIds(table.data(), table.size(), names, count, ids);
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                   UINT*) override
    {
        com::DispArgs args(params);
        if (result) VariantInit(result);
        HRESULT hr = invokeMember(id, flags, args, result);
        if (FAILED(hr) && excep) com::fillExcepInfo(excep, hr);
        return hr;
    }
    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override
    {
        return com::interfaceChainHas<Primary>(riid) ? S_OK : S_FALSE;
    }

protected:
    virtual std::span<const com::DispatchName> dispatchNames() const = 0;
    virtual HRESULT invokeMember(DISPID id, WORD flags, const com::DispArgs& args, VARIANT* result) = 0;

    static bool isPut(WORD flags) { return (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0; }
};

} // namespace tagmora::automation
