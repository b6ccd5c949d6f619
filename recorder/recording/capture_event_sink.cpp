#include "recorder/recording/capture_event_sink.h"

namespace recorder {

void CaptureEventSink::detach()
{
    onEndArrayRecord = nullptr;
    onTimer = nullptr;
    onAccuChange = nullptr;
}

HRESULT CaptureEventSink::GetTypeInfoCount(UINT* n)
{
    if (n) *n = 0;
    return S_OK;
}

HRESULT CaptureEventSink::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }

HRESULT CaptureEventSink::GetIDsOfNames(REFIID, OLECHAR**, UINT, LCID, DISPID*) { return DISP_E_UNKNOWNNAME; }

HRESULT CaptureEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*)
{
    using namespace TavorAudioDXRecord3Lib;
    com::DispArgs args(params);
    // Keep this object alive while a handler runs: a handler may release the control and its sinks.
    com::ComPtr<IDispatch> self(this);
    switch (id) {
    case DISPID_EndArrayRecord:
        if (onEndArrayRecord && args.arg(0)) {
            com::Variant block;
            VariantCopyInd(&block, args.arg(0));
            auto handler = onEndArrayRecord;
            handler(block);
        }
        return S_OK;
    case DISPID_Timer: {
        if (!onTimer || !args.arg(0) || !args.arg(1)) return S_OK;
        com::Variant samples, levels;
        VariantCopyInd(&samples, args.arg(0));
        VariantCopyInd(&levels, args.arg(1));
        std::vector<short> values;
        if (levels.vt == (VT_ARRAY | VT_I2) && levels.parray) {
            const auto* data = static_cast<const SHORT*>(levels.parray->pvData);
            values.assign(data, data + com::elementCount(levels.parray));
        }
        auto handler = onTimer;
        handler(samples, values);
        return S_OK;
    }
    case DISPID_AccuChange: {
        LONG state = 0;
        if (onAccuChange && SUCCEEDED(args.getLong(0, state))) {
            auto handler = onAccuChange;
            handler(state);
        }
        return S_OK;
    }
    case DISPID_GainChange:
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

} // namespace recorder
