#include "tags/automation/frame_objects.h"

namespace tagmora::automation {

namespace d = Tagmora::dispid;

template <class I, class C>
HRESULT FrameObject<I, C>::getText(const std::u16string& text, BSTR* value)
{
    if (!value) return E_POINTER;
    *value = newBstr(text);
    return *value || text.empty() ? S_OK : E_OUTOFMEMORY;
}

template <class I, class C>
HRESULT FrameObject<I, C>::put_FrameID(BSTR value)
{
    return run([&] { frame_.setFrameId(textOf(value)); });
}

template <class I, class C>
HRESULT FrameObject<I, C>::get_FrameID(BSTR* value)
{
    return getText(frame_.frameIdText(), value);
}

template <class I, class C>
HRESULT FrameObject<I, C>::get_FrameSize(LONG* value)
{
    if (!value) return E_POINTER;
    return run([&] { *value = static_cast<LONG>(frame_.frameSize()); });
}

template <class I, class C>
HRESULT FrameObject<I, C>::setFlags(SAFEARRAY* a_flags)
{
    return run([&] {
        ByteVector flags;
        LONG lower = 0;
        // Elements 0 and 1, and nothing else, make the two flag bytes.
        if (!bytesOf(a_flags, flags) || (a_flags && (FAILED(SafeArrayGetLBound(a_flags, 1, &lower)) || lower != 0)))
            flags.clear();
        frame_.setFlags(flags);
    });
}

template <class I, class C>
HRESULT FrameObject<I, C>::getFlags(SAFEARRAY** result)
{
    if (!result) return E_POINTER;
    *result = newByteArray(ByteView(frame_.flags().data(), 2));
    return *result ? S_OK : E_OUTOFMEMORY;
}

template <class I, class C>
HRESULT FrameObject<I, C>::parseBytes(SAFEARRAY* a_bytes)
{
    ByteVector body;
    if (!bytesOf(a_bytes, body)) return E_INVALIDARG;
    return run([&] { frame_.parse(body); });
}

template <class I, class C>
HRESULT FrameObject<I, C>::getBytes(SAFEARRAY** result)
{
    if (!result) return E_POINTER;
    *result = nullptr;
    return run([&] {
        *result = newByteArray(frame_.render());
        if (!*result) throw std::bad_alloc();
    });
}

template <class I, class C>
HRESULT FrameObject<I, C>::get_TextEncoding(BYTE* value)
{
    if (!value) return E_POINTER;
    *value = frame_.textEncoding();
    return S_OK;
}

template <class I, class C>
HRESULT FrameObject<I, C>::put_TextEncoding(BYTE value)
{
    frame_.setTextEncoding(value);
    return S_OK;
}

template <class I, class C>
HRESULT FrameObject<I, C>::get_Data(BSTR* value)
{
    return getText(frame_.data(), value);
}

template <class I, class C>
HRESULT FrameObject<I, C>::put_Data(BSTR value)
{
    return run([&] { frame_.setData(textOf(value)); });
}

template <class I, class C>
std::span<const com::DispatchName> FrameObject<I, C>::dispatchNames() const
{
    static constexpr com::DispatchName names[] = {
        {"FrameID", d::FrameID},     {"FrameSize", d::FrameSize},       {"setFlags", d::setFlags},
        {"getFlags", d::getFlags},   {"parseBytes", d::parseBytes},     {"getBytes", d::getBytes},
        {"TextEncoding", d::TextEncoding}, {"Data", d::Data},           {"Description", d::Description},
        {"Language", d::Language}};
    return names;
}

// A string property through Invoke: get or put by flags.
template <class Get, class Put>
HRESULT invokeTextProperty(WORD flags, const com::DispArgs& args, VARIANT* result, Get get, Put put)
{
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        std::u16string text;
        if (HRESULT hr = argText(args.putValue(), text); FAILED(hr)) return hr;
        com::Bstr value(text);
        return put(value.get());
    }
    BSTR value = nullptr;
    HRESULT hr = get(&value);
    return SUCCEEDED(hr) ? resultBstr(result, value) : hr;
}

template <class I, class C>
HRESULT FrameObject<I, C>::invokeMember(DISPID id, WORD flags, const com::DispArgs& args, VARIANT* result)
{
    switch (id) {
    case d::FrameID:
        return invokeTextProperty(
            flags, args, result, [&](BSTR* v) { return get_FrameID(v); }, [&](BSTR v) { return put_FrameID(v); });
    case d::Data:
        return invokeTextProperty(
            flags, args, result, [&](BSTR* v) { return get_Data(v); }, [&](BSTR v) { return put_Data(v); });
    case d::FrameSize: {
        LONG size = 0;
        HRESULT hr = get_FrameSize(&size);
        return SUCCEEDED(hr) ? resultLong(result, size) : hr;
    }
    case d::TextEncoding: {
        if (this->isPut(flags)) {
            BYTE value = 0;
            HRESULT hr = argByte(args.putValue(), value);
            return SUCCEEDED(hr) ? put_TextEncoding(value) : hr;
        }
        BYTE value = 0;
        get_TextEncoding(&value);
        return resultByte(result, value);
    }
    case d::setFlags:
    case d::parseBytes: {
        ByteVector bytes;
        if (HRESULT hr = argBytes(args.arg(0), bytes); FAILED(hr)) return hr;
        com::SafeArray array = com::SafeArray::adopt(newByteArray(bytes));
        if (!array.get()) return E_OUTOFMEMORY;
        return id == d::setFlags ? setFlags(array.get()) : parseBytes(array.get());
    }
    case d::getFlags:
    case d::getBytes: {
        SAFEARRAY* array = nullptr;
        HRESULT hr = id == d::getFlags ? getFlags(&array) : getBytes(&array);
        return SUCCEEDED(hr) ? resultArray(result, array) : hr;
    }
    default: return invokeKindMember(id, flags, args, result);
    }
}

template class FrameObject<Tagmora::_clsText_Frame, TextFrame>;
template class FrameObject<Tagmora::_clsWeb_Frame, WebFrame>;
template class FrameObject<Tagmora::_clsComment_Frame, CommentFrame>;

HRESULT WebFrameObject::get_Description(BSTR* value) { return getText(frame_.description(), value); }

HRESULT WebFrameObject::put_Description(BSTR value)
{
    return run([&] { frame_.setDescription(textOf(value)); });
}

HRESULT WebFrameObject::invokeKindMember(DISPID id, WORD flags, const com::DispArgs& args, VARIANT* result)
{
    if (id != d::Description) return DISP_E_MEMBERNOTFOUND;
    return invokeTextProperty(
        flags, args, result, [&](BSTR* v) { return get_Description(v); }, [&](BSTR v) { return put_Description(v); });
}

HRESULT CommentFrameObject::get_Language(BSTR* value) { return getText(frame_.language(), value); }

HRESULT CommentFrameObject::put_Language(BSTR value)
{
    return run([&] { frame_.setLanguage(textOf(value)); });
}

HRESULT CommentFrameObject::get_Description(BSTR* value) { return getText(frame_.description(), value); }

HRESULT CommentFrameObject::put_Description(BSTR value)
{
    return run([&] { frame_.setDescription(textOf(value)); });
}

HRESULT CommentFrameObject::invokeKindMember(DISPID id, WORD flags, const com::DispArgs& args, VARIANT* result)
{
    if (id == d::Language)
        return invokeTextProperty(
            flags, args, result, [&](BSTR* v) { return get_Language(v); }, [&](BSTR v) { return put_Language(v); });
    if (id == d::Description)
        return invokeTextProperty(
            flags, args, result, [&](BSTR* v) { return get_Description(v); },
            [&](BSTR v) { return put_Description(v); });
    return DISP_E_MEMBERNOTFOUND;
}

} // namespace tagmora::automation
