#pragma once
// A private X server (Xvfb) for window tests that need a real display, and a
// tray host on it. Both are started by the test and end with it.

#include <string>

#include <sys/types.h>

namespace testx {

class XServer {
public:
    // Starts Xvfb on a free display; running() tells whether it came up.
    XServer();
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    bool running() const { return pid_ > 0 && !display_.empty(); }
    // ":N"
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// A program run on the display until destruction (a tray host, a window).
class XClient {
public:
    XClient(const std::string& display, const std::string& command);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;
    bool running() const;

private:
    pid_t pid_ = -1;
};

} // namespace testx
