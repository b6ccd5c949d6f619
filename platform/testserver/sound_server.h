#pragma once
// Test access to a private PulseAudio server.
//
// The CTest fixture "pulse" starts one server for the whole run and hands its
// folder to sound tests in VELMOR_TEST_PULSE_DIR (PULSE_SERVER points at it
// too). A test that must kill its server starts a private one of its own.

#include <memory>
#include <string>

namespace testsound {

class SoundServer {
public:
    // The fixture's server; fails the test run when the fixture is missing.
    // Points this process's PulseAudio clients at it on first use.
    static SoundServer& shared();
    // A server of the test's own in a fresh folder, stopped on destruction.
    static std::unique_ptr<SoundServer> startPrivate();

    ~SoundServer();
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    const std::string& folder() const { return dir_; }
    // "unix:<folder>/native"
    std::string server() const;
    // Points this process's PulseAudio clients (PULSE_SERVER) at this server.
    void useInThisProcess() const;

    // Runs pactl against this server; returns its standard output (empty on failure).
    std::string pactl(const std::string& args) const;
    bool alive() const;
    // SIGKILL, as a crash of the server.
    void kill();
    void stop();
    // Starts it again in its folder, at the same address, after kill() or stop().
    bool restart();

private:
    SoundServer(std::string dir, bool owned) : dir_(std::move(dir)), owned_(owned) {}
    std::string dir_;
    bool owned_;
};

// The path of pulse-server.sh.
std::string serverScript();

} // namespace testsound
