// AudioDXRecord3: the automation half of the dual interface. Each dispid maps
// to the typed member; failures come back as DISP_E_EXCEPTION with the error
// information in EXCEPINFO, or as the member's HRESULT when there is none.

#include "capture/audio_dx_record3.h"

#include "platform/com/bstr.h"

namespace dxrecord {

using namespace TavorAudioDXRecord3Lib;

namespace {

constexpr com::DispatchName kNames[] = {
    {"_Notify", DISPID_Notify},
    {"_OnTimer", DISPID_OnTimer},
    {"Start", DISPID_Start},
    {"Stop", DISPID_Stop},
    {"ReceiveAudioArray", DISPID_ReceiveAudioArray},
    {"ReceiveAudioArray2", DISPID_ReceiveAudioArray2},
    {"GetCurrentArray", DISPID_GetCurrentArray},
    {"IsStarted", DISPID_IsStarted},
    {"SampleRate", DISPID_SampleRate},
    {"Channels", DISPID_Channels},
    {"SampleSize", DISPID_SampleSize},
    {"SamplesCurrent", DISPID_SamplesCurrent},
    {"SamplesReceive", DISPID_SamplesReceive},
    {"CurrentTime", DISPID_CurrentTime},
    {"TimerInterval", DISPID_TimerInterval},
    {"TimerEnabled", DISPID_TimerEnabled},
    {"devInputCount", DISPID_devInputCount},
    {"devInputName", DISPID_devInputName},
    {"devInputNum", DISPID_devInputNum},
    {"AudioArrayDuration", DISPID_AudioArrayDuration},
    {"LevelDynamicRange", DISPID_LevelDynamicRange},
    {"LevelTimeRange", DISPID_LevelTimeRange},
    {"LevelLatency", DISPID_LevelLatency},
    {"Gain", DISPID_Gain},
    {"GainBalance", DISPID_GainBalance},
    {"AccuAttackTime", DISPID_AccuAttackTime},
    {"AccuAttackLevel", DISPID_AccuAttackLevel},
    {"AccuReleaseTime", DISPID_AccuReleaseTime},
    {"AccuReleaseLevel", DISPID_AccuReleaseLevel},
    {"AccuEnabled", DISPID_AccuEnabled},
    {"VariantTypeRangeMode", DISPID_VariantTypeRangeMode},
    {"SetAdditionalParam", DISPID_SetAdditionalParam},
    {"GetAdditionalParam", DISPID_GetAdditionalParam},
};

// The VARIANT an out-argument passed as a by-reference VARIANT refers to; null otherwise.
VARIANT* referencedVariant(VARIANT* arg)
{
    if (!arg || arg->vt != (VT_BYREF | VT_VARIANT)) return nullptr;
    while (arg->vt == (VT_BYREF | VT_VARIANT) && arg->pvarVal) arg = arg->pvarVal;
    return arg;
}

// Hands an array to a by-reference byte-array argument, a by-reference
// VARIANT, or else the result.
HRESULT storeArray(VARIANT* arg, VARIANT* result, SAFEARRAY* array)
{
    com::SafeArray owned = com::SafeArray::adopt(array);
    VARIANT* ref = referencedVariant(arg);
    VARIANT* target = ref ? ref : arg;
    if (target && target->vt == (VT_BYREF | VT_ARRAY | VT_UI1)) {
        if (!target->pparray) return DISP_E_TYPEMISMATCH;
        if (*target->pparray) SafeArrayDestroy(*target->pparray);
        *target->pparray = owned.detach();
        return S_OK;
    }
    target = ref ? ref : result; // a value argument cannot be written back
    if (!target) return S_OK;
    VariantClear(target);
    target->vt = VT_ARRAY | VT_UI1;
    target->parray = owned.detach();
    return S_OK;
}

// Hands a long to a by-reference long argument, a by-reference VARIANT, or else the result.
void storeLong(VARIANT* arg, VARIANT* result, LONG value)
{
    VARIANT* ref = referencedVariant(arg);
    VARIANT* target = ref ? ref : arg;
    if (target && target->vt == (VT_BYREF | VT_I4) && target->plVal) {
        *target->plVal = value;
        return;
    }
    target = ref ? ref : result;
    if (!target) return;
    VariantClear(target);
    target->vt = VT_I4;
    target->lVal = value;
}

// A 16-bit boolean property as given: numbers keep their value, VT_BOOL gives -1 or 0.
HRESULT toShort(const VARIANT* v, VARIANT_BOOL& out)
{
    if (!v) return DISP_E_PARAMNOTFOUND;
    com::Variant tmp;
    HRESULT hr = VariantChangeType(&tmp, v, 0, VT_I2);
    if (FAILED(hr)) return hr;
    out = tmp.iVal;
    return S_OK;
}

void setResult(VARIANT* result, com::Variant value)
{
    if (!result) return;
    VariantClear(result);
    *result = value.detach();
}

} // namespace

HRESULT AudioDXRecord3::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

HRESULT AudioDXRecord3::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo)
{
    if (ppTInfo) *ppTInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT AudioDXRecord3::GetIDsOfNames(REFIID, OLECHAR** names, UINT count, LCID, DISPID* ids)
{
    return com::lookupDispIds(kNames, std::size(kNames), names, count, ids);
}

HRESULT AudioDXRecord3::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* excep, UINT*)
{
    com::DispArgs args(params);
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    HRESULT hr = S_OK;

    // Long properties: a get and a put each.
    auto longProperty = [&](HRESULT (AudioDXRecord3::*get)(LONG*), HRESULT (AudioDXRecord3::*set)(LONG)) {
        if (put) {
            if (!set) return DISP_E_MEMBERNOTFOUND;
            LONG v = 0;
            const VARIANT* value = args.putValue();
            if (!value) return DISP_E_PARAMNOTFOUND;
            HRESULT r = com::toLong(*value, v);
            return FAILED(r) ? r : (this->*set)(v);
        }
        LONG v = 0;
        HRESULT r = (this->*get)(&v);
        if (SUCCEEDED(r)) setResult(result, com::Variant::i4(v));
        return r;
    };
    auto boolProperty = [&](HRESULT (AudioDXRecord3::*get)(VARIANT_BOOL*), HRESULT (AudioDXRecord3::*set)(VARIANT_BOOL)) {
        if (put) {
            VARIANT_BOOL v = 0;
            HRESULT r = toShort(args.putValue(), v);
            return FAILED(r) ? r : (this->*set)(v);
        }
        VARIANT_BOOL v = 0;
        HRESULT r = (this->*get)(&v);
        if (SUCCEEDED(r) && result) {
            VariantClear(result);
            result->vt = VT_BOOL;
            result->boolVal = v;
        }
        return r;
    };
    auto variantProperty = [&](HRESULT (AudioDXRecord3::*get)(VARIANT*)) {
        if (put) return DISP_E_MEMBERNOTFOUND;
        com::Variant v;
        HRESULT r = (this->*get)(v.put());
        if (SUCCEEDED(r)) setResult(result, std::move(v));
        return r;
    };

    switch (id) {
    case DISPID_Notify: hr = _Notify(); break;
    case DISPID_OnTimer: hr = _OnTimer(); break;
    case DISPID_Start: {
        LONG rate = 44100, channels = 2, bits = 16;
        if (FAILED(hr = args.getLongOr(0, 44100, rate)) || FAILED(hr = args.getLongOr(1, 2, channels)) ||
            FAILED(hr = args.getLongOr(2, 16, bits)))
            break;
        hr = Start(rate, channels, bits);
        break;
    }
    case DISPID_Stop: hr = Stop(); break;
    case DISPID_ReceiveAudioArray: {
        SAFEARRAY* array = nullptr;
        if (SUCCEEDED(hr = ReceiveAudioArray(&array))) hr = storeArray(args.arg(0), result, array);
        break;
    }
    case DISPID_ReceiveAudioArray2: {
        SAFEARRAY* array = nullptr;
        LONG clock = 0;
        if (FAILED(hr = ReceiveAudioArray2(&array, &clock))) break;
        hr = storeArray(args.arg(0), nullptr, array);
        storeLong(args.arg(1), result, clock);
        break;
    }
    case DISPID_GetCurrentArray: {
        LONG samples = 0;
        if (FAILED(hr = args.getLong(0, samples))) break;
        SAFEARRAY* array = nullptr;
        if (SUCCEEDED(hr = GetCurrentArray(samples, &array))) hr = storeArray(args.arg(1), result, array);
        break;
    }
    case DISPID_IsStarted: hr = boolProperty(&AudioDXRecord3::IsStarted, nullptr); break;
    case DISPID_SampleRate: hr = longProperty(&AudioDXRecord3::get_SampleRate, nullptr); break;
    case DISPID_Channels: hr = longProperty(&AudioDXRecord3::get_Channels, nullptr); break;
    case DISPID_SampleSize: hr = longProperty(&AudioDXRecord3::get_SampleSize, nullptr); break;
    case DISPID_SamplesCurrent: hr = variantProperty(&AudioDXRecord3::get_SamplesCurrent); break;
    case DISPID_SamplesReceive: hr = variantProperty(&AudioDXRecord3::get_SamplesReceive); break;
    case DISPID_CurrentTime: hr = variantProperty(&AudioDXRecord3::get_CurrentTime); break;
    case DISPID_TimerInterval: hr = longProperty(&AudioDXRecord3::get_TimerInterval, &AudioDXRecord3::put_TimerInterval); break;
    case DISPID_TimerEnabled: hr = boolProperty(&AudioDXRecord3::get_TimerEnabled, &AudioDXRecord3::put_TimerEnabled); break;
    case DISPID_devInputCount: hr = longProperty(&AudioDXRecord3::get_devInputCount, nullptr); break;
    case DISPID_devInputName: {
        if (put) {
            hr = DISP_E_MEMBERNOTFOUND;
            break;
        }
        com::Bstr name;
        if (SUCCEEDED(hr = get_devInputName(name.put())) && result) {
            VariantClear(result);
            result->vt = VT_BSTR;
            result->bstrVal = name.detach();
        }
        break;
    }
    case DISPID_devInputNum: hr = longProperty(&AudioDXRecord3::get_devInputNum, &AudioDXRecord3::put_devInputNum); break;
    case DISPID_AudioArrayDuration:
        hr = longProperty(&AudioDXRecord3::get_AudioArrayDuration, &AudioDXRecord3::put_AudioArrayDuration);
        break;
    case DISPID_LevelDynamicRange:
        hr = longProperty(&AudioDXRecord3::get_LevelDynamicRange, &AudioDXRecord3::put_LevelDynamicRange);
        break;
    case DISPID_LevelTimeRange: hr = longProperty(&AudioDXRecord3::get_LevelTimeRange, &AudioDXRecord3::put_LevelTimeRange); break;
    case DISPID_LevelLatency: hr = longProperty(&AudioDXRecord3::get_LevelLatency, &AudioDXRecord3::put_LevelLatency); break;
    case DISPID_Gain: hr = longProperty(&AudioDXRecord3::get_Gain, &AudioDXRecord3::put_Gain); break;
    case DISPID_GainBalance: hr = longProperty(&AudioDXRecord3::get_GainBalance, &AudioDXRecord3::put_GainBalance); break;
    case DISPID_AccuAttackTime: hr = longProperty(&AudioDXRecord3::get_AccuAttackTime, &AudioDXRecord3::put_AccuAttackTime); break;
    case DISPID_AccuAttackLevel:
        hr = longProperty(&AudioDXRecord3::get_AccuAttackLevel, &AudioDXRecord3::put_AccuAttackLevel);
        break;
    case DISPID_AccuReleaseTime:
        hr = longProperty(&AudioDXRecord3::get_AccuReleaseTime, &AudioDXRecord3::put_AccuReleaseTime);
        break;
    case DISPID_AccuReleaseLevel:
        hr = longProperty(&AudioDXRecord3::get_AccuReleaseLevel, &AudioDXRecord3::put_AccuReleaseLevel);
        break;
    case DISPID_AccuEnabled: hr = boolProperty(&AudioDXRecord3::get_AccuEnabled, &AudioDXRecord3::put_AccuEnabled); break;
    case DISPID_VariantTypeRangeMode:
        hr = longProperty(&AudioDXRecord3::get_VariantTypeRangeMode, &AudioDXRecord3::put_VariantTypeRangeMode);
        break;
    case DISPID_SetAdditionalParam: {
        std::string name;
        if (FAILED(hr = args.getString(0, name))) break;
        com::Bstr bname(name);
        VARIANT* value = args.arg(1);
        com::Variant copy;
        if (value) VariantCopyInd(&copy, value);
        hr = SetAdditionalParam(bname.get(), copy);
        break;
    }
    case DISPID_GetAdditionalParam: {
        std::string name;
        if (FAILED(hr = args.getString(0, name))) break;
        com::Bstr bname(name);
        VARIANT* out = referencedVariant(args.arg(1));
        if (!out) out = result;
        if (out) hr = GetAdditionalParam(bname.get(), out);
        break;
    }
    default: hr = DISP_E_MEMBERNOTFOUND; break;
    }

    if (FAILED(hr) && excep) {
        com::fillExcepInfo(excep, hr);
        return DISP_E_EXCEPTION;
    }
    return hr;
}

} // namespace dxrecord
