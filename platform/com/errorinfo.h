#pragma once
// Per-thread error information: an object with description, source,
// interface id, help file and help context, set by a failing member and taken
// (and cleared) by the caller.

#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"

struct IErrorInfo : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = com::guid("{1CF2B120-547D-101B-8E65-08002B2BD119}");
    virtual HRESULT GetGUID(GUID* pGUID) = 0;
    virtual HRESULT GetSource(BSTR* pBstrSource) = 0;
    virtual HRESULT GetDescription(BSTR* pBstrDescription) = 0;
    virtual HRESULT GetHelpFile(BSTR* pBstrHelpFile) = 0;
    virtual HRESULT GetHelpContext(DWORD* pdwHelpContext) = 0;
};

struct ICreateErrorInfo : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = com::guid("{22F03340-547D-101B-8E65-08002B2BD119}");
    virtual HRESULT SetGUID(REFGUID rguid) = 0;
    virtual HRESULT SetSource(LPCOLESTR szSource) = 0;
    virtual HRESULT SetDescription(LPCOLESTR szDescription) = 0;
    virtual HRESULT SetHelpFile(LPCOLESTR szHelpFile) = 0;
    virtual HRESULT SetHelpContext(DWORD dwHelpContext) = 0;
};

struct ISupportErrorInfo : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = com::guid("{DF0B3D60-548F-101B-8E65-08002B2BD119}");
    virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;
};

HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo);
// Replaces the thread's error object (null clears it).
HRESULT SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo);
// Hands out the thread's error object and clears it; S_FALSE when there is none.
HRESULT GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo);

namespace com {

struct ErrorDetails {
    GUID iid{};
    std::string source;
    std::string description;
    std::string helpFile;
    DWORD helpContext = 0;
};

// Sets the thread's error information and returns hr, for `return setError(...)`.
HRESULT setError(HRESULT hr, std::string_view description, std::string_view source, REFIID iid = IID_NULL,
                 std::string_view helpFile = {}, DWORD helpContext = 0);

// Takes the thread's error information, if any (clearing it).
bool takeError(ErrorDetails& out);

} // namespace com
