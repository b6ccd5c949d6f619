#pragma once
// A pipe source of the test's own on a sound server, and a writer that feeds
// it a signal at a chosen pace from a background thread.
//
// module-pipe-source reads its FIFO only while something records from it, and
// as fast as data arrives: the writer sets the pace (1.0 = real time; 0 = as
// fast as the pipe takes it).

#include "platform/testserver/signal.h"
#include "platform/testserver/sound_server.h"

#include <atomic>
#include <string>
#include <thread>

namespace testsound {

class PipeSource {
public:
    PipeSource(const SoundServer& server, std::string name, std::string description, int rate = 44100, int channels = 2);
    ~PipeSource();
    PipeSource(const PipeSource&) = delete;
    PipeSource& operator=(const PipeSource&) = delete;

    const std::string& name() const { return name_; }
    const std::string& description() const { return description_; }
    const std::string& fifo() const { return fifo_; }
    int rate() const { return rate_; }
    int channels() const { return channels_; }
    bool loaded() const { return module_ >= 0; }
    // Throws away audio waiting in the FIFO from earlier writes.
    void drain();

private:
    const SoundServer& server_;
    std::string name_, description_, fifo_;
    int rate_, channels_;
    long module_ = -1;
};

class SignalWriter {
public:
    SignalWriter(const std::string& fifo, int rate, Signal signal, double pace = 1.0);
    SignalWriter(const PipeSource& source, Signal signal, double pace = 1.0)
        : SignalWriter(source.fifo(), source.rate(), std::move(signal), pace)
    {
    }
    ~SignalWriter() { stop(); }
    SignalWriter(const SignalWriter&) = delete;
    SignalWriter& operator=(const SignalWriter&) = delete;

    // Writes until stop(), or until totalFrames have been written when it is > 0.
    void start(std::uint64_t totalFrames = 0);
    void stop();
    bool finished() const { return finished_; }
    std::uint64_t framesWritten() const { return written_; }
    // Blocks until finished (true) or the timeout passes (false).
    bool waitFinished(double timeoutSeconds);

private:
    void loop(std::uint64_t total);
    std::string fifo_;
    int rate_;
    Signal signal_;
    double pace_;
    std::thread thread_;
    std::atomic<bool> stop_{false}, finished_{false};
    std::atomic<std::uint64_t> written_{0};
};

} // namespace testsound
