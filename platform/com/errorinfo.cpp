#include "platform/com/errorinfo.h"

#include "platform/com/object.h"

namespace {

class ErrorObject final : public com::Implements<IErrorInfo, ICreateErrorInfo> {
public:
    HRESULT GetGUID(GUID* p) override
    {
        if (!p) return E_INVALIDARG;
        *p = guid_;
        return S_OK;
    }
    HRESULT GetSource(BSTR* p) override { return copyOut(source_, p); }
    HRESULT GetDescription(BSTR* p) override { return copyOut(description_, p); }
    HRESULT GetHelpFile(BSTR* p) override { return copyOut(helpFile_, p); }
    HRESULT GetHelpContext(DWORD* p) override
    {
        if (!p) return E_INVALIDARG;
        *p = helpContext_;
        return S_OK;
    }

    HRESULT SetGUID(REFGUID g) override
    {
        guid_ = g;
        return S_OK;
    }
    HRESULT SetSource(LPCOLESTR s) override { return copyIn(source_, s); }
    HRESULT SetDescription(LPCOLESTR s) override { return copyIn(description_, s); }
    HRESULT SetHelpFile(LPCOLESTR s) override { return copyIn(helpFile_, s); }
    HRESULT SetHelpContext(DWORD c) override
    {
        helpContext_ = c;
        return S_OK;
    }

private:
    static HRESULT copyOut(const std::u16string& s, BSTR* p)
    {
        if (!p) return E_INVALIDARG;
        *p = com::allocBstr(std::u16string_view(s));
        return *p ? S_OK : E_OUTOFMEMORY;
    }
    static HRESULT copyIn(std::u16string& dst, LPCOLESTR s)
    {
        dst = s ? std::u16string(s) : std::u16string();
        return S_OK;
    }

    GUID guid_{};
    std::u16string source_, description_, helpFile_;
    DWORD helpContext_ = 0;
};

thread_local com::ComPtr<IErrorInfo> t_error;

} // namespace

HRESULT CreateErrorInfo(ICreateErrorInfo** pp)
{
    if (!pp) return E_INVALIDARG;
    auto* obj = com::makeObject<ErrorObject>();
    *pp = obj; // the creation reference
    return S_OK;
}

HRESULT SetErrorInfo(ULONG, IErrorInfo* p)
{
    t_error = com::ComPtr<IErrorInfo>(p);
    return S_OK;
}

HRESULT GetErrorInfo(ULONG, IErrorInfo** pp)
{
    if (!pp) return E_INVALIDARG;
    *pp = t_error.detach();
    return *pp ? S_OK : S_FALSE;
}

namespace com {

HRESULT setError(HRESULT hr, std::string_view description, std::string_view source, REFIID iid,
                 std::string_view helpFile, DWORD helpContext)
{
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.put()))) return hr;
    create->SetGUID(iid);
    create->SetSource(utf8ToUtf16(source).c_str());
    create->SetDescription(utf8ToUtf16(description).c_str());
    create->SetHelpFile(utf8ToUtf16(helpFile).c_str());
    create->SetHelpContext(helpContext);
    ComPtr<IErrorInfo> info = create.as<IErrorInfo>();
    SetErrorInfo(0, info.get());
    return hr;
}

bool takeError(ErrorDetails& out)
{
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) return false;
    Bstr s;
    info->GetGUID(&out.iid);
    if (SUCCEEDED(info->GetSource(s.put()))) out.source = s.utf8();
    if (SUCCEEDED(info->GetDescription(s.put()))) out.description = s.utf8();
    if (SUCCEEDED(info->GetHelpFile(s.put()))) out.helpFile = s.utf8();
    info->GetHelpContext(&out.helpContext);
    return true;
}

} // namespace com
