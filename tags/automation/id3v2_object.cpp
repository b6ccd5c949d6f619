#include "tags/automation/id3v2_object.h"

namespace tagmora::automation {

namespace {

namespace d = Tagmora::dispid;

template <class F>
HRESULT run(F&& body)
{
    return guarded(Tagmora::_clsID3v2::iid, body);
}

} // namespace

HRESULT ID3v2Object::get_HasTag(VARIANT_BOOL* result)
{
    if (!result) return E_POINTER;
    *result = tag_.HasTag() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT ID3v2Object::ReadTag(BSTR file)
{
    return run([&] { tag_.ReadTag(com::toUtf8(file)); });
}

HRESULT ID3v2Object::WriteTag(BSTR file, VARIANT_BOOL ignoreReadOnly)
{
    return run([&] { tag_.WriteTag(com::toUtf8(file), ignoreReadOnly != VARIANT_FALSE); });
}

HRESULT ID3v2Object::RemoveTag(BSTR file, VARIANT_BOOL ignoreReadOnly)
{
    return run([&] { tag_.RemoveTag(com::toUtf8(file), ignoreReadOnly != VARIANT_FALSE); });
}

HRESULT ID3v2Object::GetFrameValue(Tagmora::ID3FrameIDs field, BSTR* result)
{
    if (!result) return E_POINTER;
    *result = nullptr;
    return run([&] {
        std::u16string value = tag_.GetFrameValue(field);
        *result = newBstr(value);
        if (!*result) throw std::bad_alloc();
    });
}

HRESULT ID3v2Object::SetFrameValue(Tagmora::ID3FrameIDs field, BSTR text)
{
    return run([&] { tag_.SetFrameValue(field, textOf(text)); });
}

std::span<const com::DispatchName> ID3v2Object::dispatchNames() const
{
    static constexpr com::DispatchName names[] = {
        {"HasTag", d::HasTag},       {"ReadTag", d::ReadTag},           {"WriteTag", d::WriteTag},
        {"RemoveTag", d::RemoveTag}, {"GetFrameValue", d::GetFrameValue}, {"SetFrameValue", d::SetFrameValue}};
    return names;
}

HRESULT ID3v2Object::invokeMember(DISPID id, WORD, const com::DispArgs& args, VARIANT* result)
{
    switch (id) {
    case d::HasTag: return resultBool(result, tag_.HasTag() ? VARIANT_TRUE : VARIANT_FALSE);
    case d::ReadTag:
    case d::WriteTag:
    case d::RemoveTag: {
        std::u16string file;
        if (HRESULT hr = argText(args.arg(0), file); FAILED(hr)) return hr;
        com::Bstr path(file);
        if (id == d::ReadTag) return ReadTag(path.get());
        VARIANT_BOOL ignore = VARIANT_FALSE;
        if (HRESULT hr = argBool(args.arg(1), ignore); FAILED(hr)) return hr;
        return id == d::WriteTag ? WriteTag(path.get(), ignore) : RemoveTag(path.get(), ignore);
    }
    case d::GetFrameValue:
    case d::SetFrameValue: {
        LONG field = 0;
        if (HRESULT hr = argLong(args.arg(0), field); FAILED(hr)) return hr;
        auto e = static_cast<Tagmora::ID3FrameIDs>(field);
        if (id == d::SetFrameValue) {
            std::u16string text;
            if (HRESULT hr = argText(args.arg(1), text); FAILED(hr)) return hr;
            com::Bstr value(text);
            return SetFrameValue(e, value.get());
        }
        BSTR value = nullptr;
        HRESULT hr = GetFrameValue(e, &value);
        return SUCCEEDED(hr) ? resultBstr(result, value) : hr;
    }
    default: return DISP_E_MEMBERNOTFOUND;
    }
}

} // namespace tagmora::automation
