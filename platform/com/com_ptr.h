#pragma once
// Owning smart pointer for COM interfaces: AddRef on copy, Release on destruction.

#include "platform/com/unknown.h"

#include <utility>

namespace com {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference to p.
    explicit ComPtr(T* p) : p_(p) { if (p_) p_->AddRef(); }
    ComPtr(const ComPtr& o) : p_(o.p_) { if (p_) p_->AddRef(); }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(const ComPtr& o)
    {
        if (this != &o) {
            if (o.p_) o.p_->AddRef();
            reset();
            p_ = o.p_;
        }
        return *this;
    }
    ComPtr& operator=(ComPtr&& o) noexcept
    {
        if (this != &o) {
            reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }

    // Adopts a pointer whose reference the caller already owns.
    static ComPtr adopt(T* p)
    {
        ComPtr r;
        r.p_ = p;
        return r;
    }

    void reset()
    {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    T* detach() { return std::exchange(p_, nullptr); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // Out-parameter slot; releases what was held first.
    T** put()
    {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    template <class U>
    HRESULT as(ComPtr<U>& out) const
    {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(U::iid, out.putVoid());
    }
    template <class U>
    ComPtr<U> as() const
    {
        ComPtr<U> out;
        as(out);
        return out;
    }

private:
    T* p_ = nullptr;
};

} // namespace com
