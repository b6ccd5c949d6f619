#pragma once
// clsFrames: an ordered collection of frame objects without keys, addressed
// by 1-based position, enumerable with For Each.

#include "tags/automation/automation_object.h"

#include <vector>

namespace tagmora::automation {

class FramesObject final : public AutomationObject<Tagmora::_clsFrames> {
public:
    HRESULT Add(Tagmora::_clsFrame* a_objFrame) override;
    HRESULT Item(LONG index, Tagmora::_clsFrame** result) override;
    HRESULT get_Count(LONG* result) override;
    HRESULT Remove(LONG index) override;
    HRESULT Clear() override;
    HRESULT NewEnum(IUnknown** result) override;

protected:
    std::span<const com::DispatchName> dispatchNames() const override;
    HRESULT invokeMember(DISPID id, WORD flags, const com::DispArgs& args, VARIANT* result) override;

private:
    HRESULT badIndex(const char* source);

    std::vector<com::ComPtr<Tagmora::_clsFrame>> frames_;
};

} // namespace tagmora::automation
