#pragma once
// The frame classes clsText_Frame, clsWeb_Frame and clsComment_Frame: each an
// automation object over one frame of tags/.

#include "tags/automation/automation_object.h"
#include "tags/comment_frame.h"
#include "tags/text_frame.h"
#include "tags/web_frame.h"

namespace tagmora::automation {

// The members every frame class shares, over a frame of type Core.
template <class Interface, class Core>
class FrameObject : public AutomationObject<Interface> {
public:
    HRESULT put_FrameID(BSTR value) override;
    HRESULT get_FrameID(BSTR* value) override;
    HRESULT get_FrameSize(LONG* value) override;
    HRESULT setFlags(SAFEARRAY* a_flags) override;
    HRESULT getFlags(SAFEARRAY** result) override;
    HRESULT parseBytes(SAFEARRAY* a_bytes) override;
    HRESULT getBytes(SAFEARRAY** result) override;
    HRESULT get_TextEncoding(BYTE* value) override;
    HRESULT put_TextEncoding(BYTE value) override;
    HRESULT get_Data(BSTR* value) override;
    HRESULT put_Data(BSTR value) override;

protected:
    std::span<const com::DispatchName> dispatchNames() const override;
    HRESULT invokeMember(DISPID id, WORD flags, const com::DispArgs& args, VARIANT* result) override;
    // Members of one kind only; DISP_E_MEMBERNOTFOUND by default.
    virtual HRESULT invokeKindMember(DISPID, WORD, const com::DispArgs&, VARIANT*) { return DISP_E_MEMBERNOTFOUND; }

    HRESULT getText(const std::u16string& text, BSTR* value);
    template <class F>
    HRESULT run(F&& body)
    {
        return guarded(Interface::iid, body);
    }

    Core frame_;
};

class TextFrameObject final : public FrameObject<Tagmora::_clsText_Frame, TextFrame> {};

class WebFrameObject final : public FrameObject<Tagmora::_clsWeb_Frame, WebFrame> {
public:
    HRESULT get_Description(BSTR* value) override;
    HRESULT put_Description(BSTR value) override;

protected:
    HRESULT invokeKindMember(DISPID id, WORD flags, const com::DispArgs& args, VARIANT* result) override;
};

class CommentFrameObject final : public FrameObject<Tagmora::_clsComment_Frame, CommentFrame> {
public:
    HRESULT get_Language(BSTR* value) override;
    HRESULT put_Language(BSTR value) override;
    HRESULT get_Description(BSTR* value) override;
    HRESULT put_Description(BSTR value) override;

protected:
    HRESULT invokeKindMember(DISPID id, WORD flags, const com::DispArgs& args, VARIANT* result) override;
};

} // namespace tagmora::automation
