#include "recorder/recording/capture_control_capture.h"

#include "platform/com/bstr.h"
#include "platform/com/errorinfo.h"
#include "platform/com/variant.h"
#include "platform/pulse/server_connection.h"
#include "platform/pulse/source_queries.h"

#include <cstdio>

namespace recorder {

std::string captureErrorText(HRESULT hr)
{
    com::ErrorDetails details;
    if (com::takeError(details) && !details.description.empty()) return details.description;
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
    return std::string("error ") + code;
}

CaptureControlCapture::CaptureControlCapture(com::ComPtr<REduruZUZedova3> control, std::string loadError)
    : control_(std::move(control)), loadError_(std::move(loadError))
{
}

bool CaptureControlCapture::start(int sampleRate, int channels, std::string& why)
{
    if (!control_) {
        why = "the capture component (TavorAudioDXRecord3) is not installed or could not be loaded";
        why += loadError_.empty() ? "." : ": " + loadError_;
        return false;
    }
    const HRESULT hr = control_->Start(sampleRate, channels, 16);
    const std::string error = FAILED(hr) ? captureErrorText(hr) : std::string();
    VARIANT_BOOL started = VARIANT_FALSE;
    control_->IsStarted(&started);
    if (SUCCEEDED(hr) && started) return true;
    const std::string name = deviceName().empty() ? std::string("(none)") : deviceName();
    why = "the capture device \"" + name + "\" could not be opened";
    why += FAILED(hr) ? " (" + error + ")." : ".";
    why += " Check that the sound server is running and the device is connected.";
    return false;
}

void CaptureControlCapture::stop()
{
    if (control_) control_->Stop();
}

bool CaptureControlCapture::receive(com::SafeArray& block, std::string& why)
{
    block = com::SafeArray();
    if (!control_) return true;
    const HRESULT hr = control_->ReceiveAudioArray(block.put());
    if (SUCCEEDED(hr)) return true;
    why = captureErrorText(hr);
    return false;
}

long long CaptureControlCapture::lostFrames()
{
    if (!control_) return 0;
    com::Variant lost;
    com::Bstr name(TavorAudioDXRecord3Lib::kLostFramesParam);
    if (FAILED(control_->GetAdditionalParam(name.get(), &lost))) return 0;
    LONGLONG frames = 0;
    if (lost.vt == VT_EMPTY || FAILED(com::toLongLong(lost, frames))) return 0;
    return frames;
}

bool CaptureControlCapture::running()
{
    VARIANT_BOOL started = VARIANT_TRUE;
    if (!control_ || FAILED(control_->IsStarted(&started))) return false;
    return started != VARIANT_FALSE;
}

std::string CaptureControlCapture::deviceName()
{
    if (!control_) return {};
    com::Bstr device;
    control_->get_devInputName(device.put());
    return device.utf8();
}

bool CaptureControlCapture::serverReachable()
{
    // The connection the control shares reconnects on use: an answer means a server.
    constexpr std::chrono::milliseconds kAsk{500};
    const auto connection = pulse::ServerConnection::shared();
    return connection && pulse::sources(*connection, kAsk).has_value();
}

std::string CaptureControlCapture::sourceName()
{
    if (!control_) return {};
    com::Variant value;
    com::Bstr param(TavorAudioDXRecord3Lib::kSourceNameParam);
    if (FAILED(control_->GetAdditionalParam(param.get(), &value)) || value.vt != VT_BSTR) return {};
    return com::toUtf8(value.bstrVal);
}

bool CaptureControlCapture::selectSource(const std::string& name, std::string& why)
{
    if (!control_) return false;
    com::Bstr param(TavorAudioDXRecord3Lib::kSourceNameParam);
    const HRESULT hr = control_->SetAdditionalParam(param.get(), com::Variant::string(name));
    if (SUCCEEDED(hr)) return true;
    why = captureErrorText(hr);
    return false;
}

} // namespace recorder
