// AudioDXRecord3: construction, destruction, properties and the small interfaces.

#include "capture/audio_dx_record3.h"
#include "capture/error_table.h"

#include "platform/capture/pulse_capture.h"
#include "platform/com/bstr.h"

#include <cmath>

namespace dxrecord {

AudioDXRecord3::AudioDXRecord3() : AudioDXRecord3(capture::makePulseCaptureSystem()) {}

AudioDXRecord3::AudioDXRecord3(std::shared_ptr<capture::CaptureSystem> system) : system_(std::move(system))
{
    gate_.derive(timerInterval_);
    // The device list is taken once, before the creator sees the object.
    if (system_) devices_ = system_->enumerate();
}

AudioDXRecord3::~AudioDXRecord3()
{
    // A started control is held by its waiter thread, so this runs started
    // only when the apartment has gone and that thread let go.
    if (started_) {
        started_ = false;
        releaseDevice();
    }
    if (timerRunning_) timerRunning_->stop();
    finishWorkers();
    blocks_.clear();
    events_.clear();
}

com::Variant AudioDXRecord3::counterVariant(std::uint64_t value) const
{
    if (counterMode_ == 1) return com::Variant::i4(static_cast<LONG>(static_cast<std::uint32_t>(value)));
    return com::Variant::i8(static_cast<LONGLONG>(value));
}

SampleLayout AudioDXRecord3::layout() const { return {format_.channels, format_.bitsPerSample, format_.blockAlign}; }

std::vector<std::uint8_t> AudioDXRecord3::headerBytes() const
{
    auto bytes = format_.serialise();
    return {bytes.begin(), bytes.begin() + 18 + format_.extensionSize};
}

// --- properties --------------------------------------------------------------

namespace {

template <class T, class U>
HRESULT give(T* out, U value)
{
    if (!out) return E_POINTER;
    *out = static_cast<T>(value);
    return S_OK;
}

LONG roundToLong(double v) { return static_cast<LONG>(std::llround(v)); }

} // namespace

HRESULT AudioDXRecord3::IsStarted(VARIANT_BOOL* Result) { return give(Result, started_ ? VARIANT_TRUE : VARIANT_FALSE); }
HRESULT AudioDXRecord3::get_SampleRate(LONG* value) { return give(value, format_.samplesPerSec); }
HRESULT AudioDXRecord3::get_Channels(LONG* value) { return give(value, format_.channels); }
HRESULT AudioDXRecord3::get_SampleSize(LONG* value) { return give(value, format_.bitsPerSample); }

HRESULT AudioDXRecord3::get_SamplesCurrent(VARIANT* value)
{
    if (!value) return E_POINTER;
    *value = counterVariant(capturedFrames_).detach();
    return S_OK;
}

HRESULT AudioDXRecord3::get_SamplesReceive(VARIANT* value)
{
    if (!value) return E_POINTER;
    *value = counterVariant(receivedFrames_).detach();
    return S_OK;
}

HRESULT AudioDXRecord3::get_CurrentTime(VARIANT* value) { return get_SamplesCurrent(value); }

HRESULT AudioDXRecord3::get_TimerInterval(LONG* value) { return give(value, timerInterval_); }
HRESULT AudioDXRecord3::put_TimerInterval(LONG value)
{
    timerInterval_ = value;
    return S_OK;
}

HRESULT AudioDXRecord3::get_TimerEnabled(VARIANT_BOOL* value) { return give(value, timerEnabled_); }
HRESULT AudioDXRecord3::put_TimerEnabled(VARIANT_BOOL value)
{
    timerEnabled_ = value;
    return S_OK;
}

HRESULT AudioDXRecord3::get_devInputCount(LONG* value) { return give(value, LONG(devices_.size()) - 1); }

HRESULT AudioDXRecord3::get_devInputName(BSTR* value)
{
    if (!value) return E_POINTER;
    const bool named = deviceNum_ >= 0 && std::size_t(deviceNum_) < devices_.size();
    *value = com::allocBstr(named ? std::string_view(devices_[deviceNum_].description) : std::string_view());
    return S_OK;
}

HRESULT AudioDXRecord3::get_devInputNum(LONG* value) { return give(value, deviceNum_); }
HRESULT AudioDXRecord3::put_devInputNum(LONG value)
{
    // Refused, not clamped: a clamped number would record from another device.
    const LONG count = LONG(devices_.size()) - 1;
    if (value < 0 || value > count) {
        const std::string range = count < 0 ? "there are no capture devices"
                                            : "the devices are numbered 0 to " + std::to_string(count);
        return com::setError(E_INVALIDARG, "Device number " + std::to_string(value) + " is out of range: " + range + ".",
                             TavorAudioDXRecord3Lib::kProgId, IID_REduruZUZedova3);
    }
    deviceNum_ = value;
    return S_OK;
}

HRESULT AudioDXRecord3::get_AudioArrayDuration(LONG* value) { return give(value, arrayDuration_); }
HRESULT AudioDXRecord3::put_AudioArrayDuration(LONG value)
{
    arrayDuration_ = value;
    return S_OK;
}

HRESULT AudioDXRecord3::get_LevelDynamicRange(LONG* value) { return give(value, levelWordSize_); }
HRESULT AudioDXRecord3::put_LevelDynamicRange(LONG value)
{
    levelWordSize_ = value;
    return S_OK;
}

HRESULT AudioDXRecord3::get_LevelTimeRange(LONG* value) { return give(value, levelWindow_); }
HRESULT AudioDXRecord3::put_LevelTimeRange(LONG value)
{
    levelWindow_ = value;
    return S_OK;
}

HRESULT AudioDXRecord3::get_LevelLatency(LONG* value) { return give(value, levelLatency_); }
HRESULT AudioDXRecord3::put_LevelLatency(LONG value)
{
    levelLatency_ = value;
    return S_OK;
}

HRESULT AudioDXRecord3::get_Gain(LONG* value) { return give(value, roundToLong(gain_ * 10000.0) - 10000); }
HRESULT AudioDXRecord3::put_Gain(LONG value)
{
    gain_ = (double(value) + 10000.0) * 0.0001;
    return S_OK;
}

HRESULT AudioDXRecord3::get_GainBalance(LONG* value) { return give(value, roundToLong(balance_ * 10000.0)); }
HRESULT AudioDXRecord3::put_GainBalance(LONG value)
{
    balance_ = double(value) * 0.0001;
    return S_OK;
}

// Every put of an Accu property re-derives the gate with the interval now in force.
template <class T>
HRESULT AudioDXRecord3::putAccu(T AccuGate::*field, T value)
{
    gate_.*field = value;
    gate_.derive(timerInterval_);
    return S_OK;
}

HRESULT AudioDXRecord3::get_AccuAttackTime(LONG* value) { return give(value, gate_.attackTime); }
HRESULT AudioDXRecord3::put_AccuAttackTime(LONG value) { return putAccu(&AccuGate::attackTime, value); }
HRESULT AudioDXRecord3::get_AccuAttackLevel(LONG* value) { return give(value, -gate_.attackLevel); }
HRESULT AudioDXRecord3::put_AccuAttackLevel(LONG value) { return putAccu(&AccuGate::attackLevel, AccuGate::magnitude(value)); }
HRESULT AudioDXRecord3::get_AccuReleaseTime(LONG* value) { return give(value, gate_.releaseTime); }
HRESULT AudioDXRecord3::put_AccuReleaseTime(LONG value) { return putAccu(&AccuGate::releaseTime, value); }
HRESULT AudioDXRecord3::get_AccuReleaseLevel(LONG* value) { return give(value, -gate_.releaseLevel); }
HRESULT AudioDXRecord3::put_AccuReleaseLevel(LONG value) { return putAccu(&AccuGate::releaseLevel, AccuGate::magnitude(value)); }
HRESULT AudioDXRecord3::get_AccuEnabled(VARIANT_BOOL* value) { return give(value, gate_.enabled); }
HRESULT AudioDXRecord3::put_AccuEnabled(VARIANT_BOOL value) { return putAccu(&AccuGate::enabled, value); }

HRESULT AudioDXRecord3::get_VariantTypeRangeMode(LONG* value) { return give(value, counterMode_); }
HRESULT AudioDXRecord3::put_VariantTypeRangeMode(LONG value)
{
    counterMode_ = value < 1 ? 1 : value > 2 ? 2 : value;
    return S_OK;
}

HRESULT AudioDXRecord3::SetAdditionalParam(BSTR ParamName, VARIANT ParamValue)
{
    if (com::toUtf8(ParamName) == TavorAudioDXRecord3Lib::kSourceNameParam) return selectSource(ParamValue);
    return S_OK; // any other name is accepted and kept nowhere
}

HRESULT AudioDXRecord3::selectSource(const VARIANT& value)
{
    auto fail = [](HRESULT hr, const std::string& why) {
        return com::setError(hr, why, TavorAudioDXRecord3Lib::kProgId, IID_REduruZUZedova3);
    };
    if (value.vt != VT_BSTR) return fail(E_INVALIDARG, "The source name must be a string.");
    const std::string name = com::toUtf8(value.bstrVal);
    // The list is taken afresh: the source may have been plugged in since.
    auto devices = system_ ? system_->enumerate() : std::vector<capture::CaptureDeviceInfo>{};
    if (devices.empty()) return fail(hresultForCode(kInputDriver), "The sound server does not answer.");
    devices_ = std::move(devices);
    for (std::size_t i = 0; i < devices_.size(); ++i)
        if (devices_[i].sourceName == name && (i == 0) == name.empty()) {
            deviceNum_ = static_cast<std::int32_t>(i);
            return S_OK;
        }
    // The old number may name another device on the fresh list: none is selected, so Start fails.
    deviceNum_ = -1;
    return fail(hresultForCode(kInputDriver), "The sound server has no source named \"" + name + "\".");
}

HRESULT AudioDXRecord3::GetAdditionalParam(BSTR ParamName, VARIANT* ParamValue)
{
    if (!ParamValue) return S_OK;
    const std::string name = com::toUtf8(ParamName);
    if (name == TavorAudioDXRecord3Lib::kLostFramesParam) {
        VariantClear(ParamValue);
        ParamValue->vt = VT_I8;
        ParamValue->llVal = static_cast<LONGLONG>(lostFrames_);
    } else if (name == TavorAudioDXRecord3Lib::kSourceNameParam) {
        const bool named = deviceNum_ >= 0 && std::size_t(deviceNum_) < devices_.size();
        VariantClear(ParamValue);
        ParamValue->vt = VT_BSTR;
        ParamValue->bstrVal = com::allocBstr(named ? std::string_view(devices_[deviceNum_].sourceName) : std::string_view());
    }
    // Any other name leaves the value as the caller passed it.
    return S_OK;
}

// --- error information, connection points, site -----------------------------

HRESULT AudioDXRecord3::InterfaceSupportsErrorInfo(REFIID riid) { return riid == IID_REduruZUZedova3 ? S_OK : S_FALSE; }

HRESULT AudioDXRecord3::EnumConnectionPoints(IEnumConnectionPoints** ppEnum)
{
    return com::enumConnectionPoints({&events_}, ppEnum);
}

HRESULT AudioDXRecord3::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP)
{
    return com::findConnectionPoint({&events_}, riid, ppCP);
}

HRESULT AudioDXRecord3::SetSite(IUnknown* pUnkSite)
{
    site_ = com::ComPtr<IUnknown>(pUnkSite);
    return S_OK;
}

HRESULT AudioDXRecord3::GetSite(REFIID riid, void** ppvSite)
{
    if (!ppvSite) return E_POINTER;
    *ppvSite = nullptr;
    if (!site_) return E_FAIL;
    return site_->QueryInterface(riid, ppvSite);
}

} // namespace dxrecord
