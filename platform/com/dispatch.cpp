#include "platform/com/dispatch.h"

#include "platform/com/errorinfo.h"

#include <cctype>
#include <cstring>

namespace com {

const VARIANT* DispArgs::putValue() const
{
    if (!p_) return nullptr;
    for (UINT i = 0; i < p_->cNamedArgs; ++i)
        if (p_->rgdispidNamedArgs && p_->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT) return &p_->rgvarg[i];
    return nullptr;
}

VARIANT* DispArgs::arg(UINT index) const
{
    if (index >= count()) return nullptr;
    // Named arguments come first in rgvarg; positionals follow, last first.
    VARIANT* v = &p_->rgvarg[p_->cArgs - 1 - index];
    const VARIANT* value = v;
    while (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal) value = value->pvarVal;
    if (value->vt == VT_ERROR && value->scode == DISP_E_PARAMNOTFOUND) return nullptr; // omitted optional
    return v;
}

HRESULT DispArgs::getLong(UINT index, LONG& out) const
{
    const VARIANT* v = arg(index);
    if (!v) return DISP_E_PARAMNOTFOUND;
    return toLong(*v, out);
}

HRESULT DispArgs::getLongOr(UINT index, LONG fallback, LONG& out) const
{
    const VARIANT* v = arg(index);
    if (!v) {
        out = fallback;
        return S_OK;
    }
    return toLong(*v, out);
}

HRESULT DispArgs::getBool(UINT index, VARIANT_BOOL& out) const
{
    const VARIANT* v = arg(index);
    if (!v) return DISP_E_PARAMNOTFOUND;
    return toBool(*v, out);
}

HRESULT DispArgs::getString(UINT index, std::string& utf8) const
{
    const VARIANT* v = arg(index);
    if (!v) return DISP_E_PARAMNOTFOUND;
    return toString(*v, utf8);
}

HRESULT lookupDispIds(const DispatchName* table, std::size_t count, OLECHAR** names, UINT cNames, DISPID* ids)
{
    if (!names || !ids || cNames == 0) return E_INVALIDARG;
    HRESULT result = S_OK;
    for (UINT n = 0; n < cNames; ++n) ids[n] = DISPID_UNKNOWN;
    // Only the member name (the first) is looked up; parameter names are not supported.
    std::string wanted = utf16ToUtf8(names[0] ? std::u16string_view(names[0]) : std::u16string_view());
    bool found = false;
    for (std::size_t i = 0; i < count && !found; ++i) {
        const char* name = table[i].name;
        if (std::strlen(name) != wanted.size()) continue;
        bool same = true;
        for (std::size_t k = 0; k < wanted.size() && same; ++k)
            same = std::tolower(static_cast<unsigned char>(name[k])) == std::tolower(static_cast<unsigned char>(wanted[k]));
        if (same) {
            ids[0] = table[i].id;
            found = true;
        }
    }
    if (!found || cNames > 1) result = DISP_E_UNKNOWNNAME;
    return result;
}

DispCall::DispCall(std::vector<VARIANT> naturalOrder) : reversed_(naturalOrder.rbegin(), naturalOrder.rend())
{
    params_.rgvarg = reversed_.empty() ? nullptr : reversed_.data();
    params_.cArgs = static_cast<UINT>(reversed_.size());
}

void fillExcepInfo(EXCEPINFO* info, HRESULT hr)
{
    if (!info) return;
    std::memset(info, 0, sizeof *info);
    info->scode = hr;
    ErrorDetails details;
    if (takeError(details)) {
        info->bstrSource = allocBstr(details.source);
        info->bstrDescription = allocBstr(details.description);
        if (!details.helpFile.empty()) info->bstrHelpFile = allocBstr(details.helpFile);
        info->dwHelpContext = details.helpContext;
    }
}

} // namespace com
