#pragma once
// Receives the capture control's events (_REduruZUZedova3Events) and hands
// them to callbacks on the apartment thread they arrive on.

#include "capture/TavorAudioDXRecord3.h"
#include "platform/com/com_ptr.h"
#include "platform/com/object.h"

#include <functional>
#include <vector>

namespace recorder {

class CaptureEventSink final : public com::Implements<IDispatch> {
public:
    std::function<void(const VARIANT& nBlock)> onEndArrayRecord;
    std::function<void(const VARIANT& currentSamples, const std::vector<short>& levels)> onTimer;
    std::function<void(long state)> onAccuChange;

    // Drops the callbacks: events that still arrive are ignored.
    void detach();

    HRESULT GetTypeInfoCount(UINT* n) override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT GetIDsOfNames(REFIID, OLECHAR**, UINT, LCID, DISPID*) override;
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;
};

} // namespace recorder
