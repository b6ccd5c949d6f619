#include "recorder/recording/capture_control_loader.h"

#include "platform/com/bstr.h"
#include "platform/com/class_registry.h"
#include "platform/com/errorinfo.h"
#include "platform/com/variant.h"
#include "recorder/recording/capture_control_capture.h"

namespace recorder {

LoadedCaptureControl::LoadedCaptureControl()
    : sink_(com::ComPtr<CaptureEventSink>::adopt(com::makeObject<CaptureEventSink>()))
{
    const HRESULT hr =
        CoCreateInstance(CLSID_AudioDXRecord3, nullptr, CLSCTX_INPROC_SERVER, IID_REduruZUZedova3, control_.putVoid());
    if (FAILED(hr)) {
        loadError_ = captureErrorText(hr);
        return;
    }
    control_->put_VariantTypeRangeMode(1);
    connection_.connect(control_.get(), DIID__REduruZUZedova3Events, sink_.get());
}

LoadedCaptureControl::~LoadedCaptureControl()
{
    connection_.disconnect();
    sink_->detach();
    control_.reset();
}

std::vector<std::string> LoadedCaptureControl::deviceNames()
{
    std::vector<std::string> names;
    if (!control_) return names;
    LONG count = 0;
    if (FAILED(control_->get_devInputCount(&count))) return names;
    LONG previous = 0;
    control_->get_devInputNum(&previous);
    for (LONG n = 1; n <= count; ++n) {
        if (FAILED(control_->put_devInputNum(n))) continue;
        com::Bstr name;
        if (SUCCEEDED(control_->get_devInputName(name.put()))) names.push_back(name.utf8());
    }
    control_->put_devInputNum(previous);
    return names;
}

bool LoadedCaptureControl::selectDevice(const std::string& name, std::string& why)
{
    if (!control_) {
        why = loadError_;
        return false;
    }
    const auto names = deviceNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] != name) continue;
        const HRESULT hr = control_->put_devInputNum(static_cast<LONG>(i + 1));
        com::Bstr chosen;
        if (SUCCEEDED(hr) && SUCCEEDED(control_->get_devInputName(chosen.put())) && chosen.utf8() == name) return true;
        why = "the device \"" + name + "\" could not be selected" + (FAILED(hr) ? " (" + captureErrorText(hr) + ")" : "");
        return false;
    }
    // Else the sound server's own name of a source (as pactl lists it).
    com::Variant source;
    source.vt = VT_BSTR;
    source.bstrVal = com::Bstr(name).detach();
    com::Bstr param(TavorAudioDXRecord3Lib::kSourceNameParam);
    if (SUCCEEDED(control_->SetAdditionalParam(param.get(), source))) return true;
    com::ErrorDetails ignored;
    com::takeError(ignored);
    why = "there is no capture device \"" + name + "\"";
    return false;
}

} // namespace recorder
