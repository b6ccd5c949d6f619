#include "tags/automation/frames_object.h"

namespace tagmora::automation {

namespace {

namespace d = Tagmora::dispid;

// A snapshot of the frames at NewEnum, handed out as VT_DISPATCH values.
class FrameEnumerator final : public com::Implements<IEnumVARIANT>, private com::server::ModuleObject {
public:
    explicit FrameEnumerator(std::vector<com::ComPtr<Tagmora::_clsFrame>> frames, std::size_t at = 0)
        : frames_(std::move(frames)), at_(at)
    {
    }
    HRESULT Next(ULONG count, VARIANT* out, ULONG* fetched) override
    {
        if (!out && count) return E_POINTER;
        ULONG n = 0;
        for (; n < count && at_ < frames_.size(); ++n, ++at_) {
            VariantInit(&out[n]);
            out[n].vt = VT_DISPATCH;
            frames_[at_]->AddRef();
            out[n].pdispVal = frames_[at_].get();
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override
    {
        std::size_t left = frames_.size() - at_;
        at_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT Reset() override
    {
        at_ = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumVARIANT** result) override
    {
        if (!result) return E_POINTER;
        *result = new (std::nothrow) FrameEnumerator(frames_, at_);
        return *result ? S_OK : E_OUTOFMEMORY;
    }

private:
    std::vector<com::ComPtr<Tagmora::_clsFrame>> frames_;
    std::size_t at_;
};

} // namespace

HRESULT FramesObject::badIndex(const char* source)
{
    return com::setError(Tagmora::kFileSystemErrors::SubscriptOutOfRange, "Subscript out of range", source,
                         Tagmora::_clsFrames::iid);
}

HRESULT FramesObject::Add(Tagmora::_clsFrame* frame)
{
    if (!frame) return guarded(Tagmora::_clsFrames::iid, [] { RaiseError(103, "cFrames::Add"); });
    return guarded(Tagmora::_clsFrames::iid, [&] { frames_.emplace_back(frame); });
}

HRESULT FramesObject::Item(LONG index, Tagmora::_clsFrame** result)
{
    if (!result) return E_POINTER;
    *result = nullptr;
    if (index < 1 || static_cast<std::size_t>(index) > frames_.size()) return badIndex("cFrames::Item");
    *result = frames_[static_cast<std::size_t>(index - 1)].get();
    (*result)->AddRef();
    return S_OK;
}

HRESULT FramesObject::get_Count(LONG* result)
{
    if (!result) return E_POINTER;
    *result = static_cast<LONG>(frames_.size());
    return S_OK;
}

HRESULT FramesObject::Remove(LONG index)
{
    if (index < 1 || static_cast<std::size_t>(index) > frames_.size()) return badIndex("cFrames::Remove");
    frames_.erase(frames_.begin() + (index - 1));
    return S_OK;
}

HRESULT FramesObject::Clear()
{
    while (!frames_.empty()) frames_.erase(frames_.begin());
    return S_OK;
}

HRESULT FramesObject::NewEnum(IUnknown** result)
{
    if (!result) return E_POINTER;
    return guarded(Tagmora::_clsFrames::iid, [&] {
        *result = static_cast<IEnumVARIANT*>(new FrameEnumerator(frames_));
    });
}

std::span<const com::DispatchName> FramesObject::dispatchNames() const
{
    static constexpr com::DispatchName names[] = {{"Add", d::Add},       {"Item", d::Item},   {"Count", d::Count},
                                                  {"Remove", d::Remove}, {"Clear", d::Clear}, {"NewEnum", d::NewEnum},
                                                  {"_NewEnum", d::NewEnum}};
    return names;
}

HRESULT FramesObject::invokeMember(DISPID id, WORD, const com::DispArgs& args, VARIANT* result)
{
    switch (id) {
    case d::Add: {
        IUnknown* object = nullptr;
        if (HRESULT hr = argObject(args.arg(0), object); FAILED(hr)) return hr;
        com::ComPtr<Tagmora::_clsFrame> frame;
        if (object && FAILED(object->QueryInterface(Tagmora::_clsFrame::iid, frame.putVoid()))) return Add(nullptr);
        return Add(frame.get());
    }
    case d::Item: {
        LONG index = 0;
        if (HRESULT hr = argLong(args.arg(0), index); FAILED(hr)) return hr;
        Tagmora::_clsFrame* frame = nullptr;
        HRESULT hr = Item(index, &frame);
        return SUCCEEDED(hr) ? resultObject(result, frame) : hr;
    }
    case d::Count: return resultLong(result, static_cast<LONG>(frames_.size()));
    case d::Remove: {
        LONG index = 0;
        if (HRESULT hr = argLong(args.arg(0), index); FAILED(hr)) return hr;
        return Remove(index);
    }
    case d::Clear: return Clear();
    case d::NewEnum: {
        IUnknown* e = nullptr;
        HRESULT hr = NewEnum(&e);
        return SUCCEEDED(hr) ? resultUnknown(result, e) : hr;
    }
    default: return DISP_E_MEMBERNOTFOUND;
    }
}

} // namespace tagmora::automation
