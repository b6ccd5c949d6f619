#pragma once
// The capture as a recording session sees it. Called on the session's owner
// thread only (the thread whose apartment receives the capture's events).

#include "platform/com/safearray.h"

#include <string>

namespace recorder {

class RecordingCapture {
public:
    virtual ~RecordingCapture() = default;
    // Starts capturing 16-bit frames at the format; false with why, in words for the user.
    virtual bool start(int sampleRate, int channels, std::string& why) = 0;
    // Stops capturing. Blocks cut before the stop can still be received.
    virtual void stop() = 0;
    // Takes the oldest block not received yet: true with an empty array when
    // there is none, false with why when the capture could not hand it over.
    virtual bool receive(com::SafeArray& block, std::string& why) = 0;
    // Frames the capture had to drop since its start.
    virtual long long lostFrames() = 0;
    // False once the capture has stopped by itself (its device or server went away).
    virtual bool running() = 0;
    virtual std::string deviceName() = 0;
    // The sound server's name of the source being captured ("" for none), and
    // selecting a source by that name again (false with why when there is none).
    virtual std::string sourceName() { return {}; }
    virtual bool selectSource(const std::string& name, std::string& why)
    {
        (void)name;
        (void)why;
        return true;
    }
    // Whether the sound server answers (after the capture stopped by itself:
    // was it the server that went away, or only the device?).
    virtual bool serverReachable() { return true; }
};

} // namespace recorder
