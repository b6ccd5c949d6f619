#pragma once
// clsID3v2: the automation class over Id3v2Tag.

#include "tags/automation/automation_object.h"
#include "tags/id3v2_tag.h"

namespace tagmora::automation {

class ID3v2Object final : public AutomationObject<Tagmora::_clsID3v2> {
public:
    HRESULT get_HasTag(VARIANT_BOOL* result) override;
    HRESULT ReadTag(BSTR a_sfile) override;
    HRESULT WriteTag(BSTR a_sfile, VARIANT_BOOL a_bIgnoreReadOnly) override;
    HRESULT RemoveTag(BSTR a_sfile, VARIANT_BOOL a_bIgnoreReadOnly) override;
    HRESULT GetFrameValue(Tagmora::ID3FrameIDs a_eFrameID, BSTR* result) override;
    HRESULT SetFrameValue(Tagmora::ID3FrameIDs a_eFrameID, BSTR a_sData) override;

protected:
    std::span<const com::DispatchName> dispatchNames() const override;
    HRESULT invokeMember(DISPID id, WORD flags, const com::DispArgs& args, VARIANT* result) override;

private:
    Id3v2Tag tag_;
};

} // namespace tagmora::automation
