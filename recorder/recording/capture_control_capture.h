#pragma once
// RecordingCapture over the capture control (REduruZUZedova3).

#include "capture/TavorAudioDXRecord3.h"
#include "platform/com/com_ptr.h"
#include "recorder/recording/recording_capture.h"

namespace recorder {

class CaptureControlCapture final : public RecordingCapture {
public:
    // `control` may be null: starts then fail, naming `loadError`.
    CaptureControlCapture(com::ComPtr<REduruZUZedova3> control, std::string loadError);

    bool start(int sampleRate, int channels, std::string& why) override;
    void stop() override;
    bool receive(com::SafeArray& block, std::string& why) override;
    long long lostFrames() override;
    bool running() override;
    std::string deviceName() override;
    bool serverReachable() override;
    std::string sourceName() override;
    bool selectSource(const std::string& name, std::string& why) override;

private:
    com::ComPtr<REduruZUZedova3> control_;
    std::string loadError_;
};

// The error information of the calling thread, else the code in hex.
std::string captureErrorText(HRESULT hr);

} // namespace recorder
