#pragma once
// The main window as an observer of its recording session.

#include "recorder/app/form1.h"
#include "recorder/recording/capture_control_capture.h"
#include "recorder/recording/recording_session.h"
#include "recorder/recording/owner_thread.h"

namespace recorder {

class Form1::RecordingView final : public RecordingObserver {
public:
    explicit RecordingView(Form1& form) : form_(form) {}
    void recordingStarted(const RecordingInfo& info) override;
    void recordingStartFailed(const StartFailure& failure) override;
    void recordingStatusChanged(const RecordingStatus& status) override;
    void recordingFailed(const std::string& message) override;
    void recordingStopping(const RecordingInfo&) override;
    void recordingStopped(const RecordingResult& result) override;

private:
    Form1& form_;
};

} // namespace recorder
