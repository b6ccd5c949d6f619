#pragma once
// The capture control as a program without a window uses it: created through
// the class registry, its events delivered to callbacks on the calling
// thread's apartment, and its device chosen by name.

#include "capture/TavorAudioDXRecord3.h"
#include "platform/com/com_ptr.h"
#include "platform/com/connection_point.h"
#include "recorder/recording/capture_event_sink.h"

#include <string>
#include <vector>

namespace recorder {

class LoadedCaptureControl {
public:
    // Creates the control; on failure control() is null and loadError() says why.
    LoadedCaptureControl();
    ~LoadedCaptureControl();
    LoadedCaptureControl(const LoadedCaptureControl&) = delete;
    LoadedCaptureControl& operator=(const LoadedCaptureControl&) = delete;

    const com::ComPtr<REduruZUZedova3>& control() const { return control_; }
    const std::string& loadError() const { return loadError_; }
    // The callbacks the events go to (set them before recording).
    CaptureEventSink& events() { return *sink_.get(); }

    // The capture devices, in the control's order (device 1 first; 0 is the default device).
    std::vector<std::string> deviceNames();
    // Selects the device of that name (as deviceNames() gives it, or the sound
    // server's source name); false with why when there is none or it cannot be selected.
    bool selectDevice(const std::string& name, std::string& why);

private:
    com::ComPtr<REduruZUZedova3> control_;
    std::string loadError_;
    com::ComPtr<CaptureEventSink> sink_;
    com::EventConnection connection_;
};

} // namespace recorder
