#include "platform/testserver/pipe_source.h"

#include <cerrno>
#include <chrono>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace testsound {

PipeSource::PipeSource(const SoundServer& server, std::string name, std::string description, int rate, int channels)
    : server_(server), name_(std::move(name)), description_(std::move(description)), rate_(rate), channels_(channels)
{
    fifo_ = server.folder() + "/" + name_ + ".fifo";
    ::unlink(fifo_.c_str());
    // pactl must see: source_properties='device.description="<description>"'
    std::string escaped;
    for (char c : description_) {
        if (c == '"' || c == '\\' || c == '$' || c == '`') escaped += '\\';
        escaped += c;
    }
    std::string out = server.pactl("load-module module-pipe-source source_name=" + name_ + " file=" + fifo_ +
                                   " format=s16le rate=" + std::to_string(rate) + " channels=" + std::to_string(channels) +
                                   " \"source_properties='device.description=\\\"" + escaped + "\\\"'\"");
    if (out.empty()) throw std::runtime_error("could not load a pipe source " + name_);
    module_ = std::stol(out);
}

PipeSource::~PipeSource()
{
    if (module_ >= 0) server_.pactl("unload-module " + std::to_string(module_));
    ::unlink(fifo_.c_str());
}

void PipeSource::drain()
{
    int fd = ::open(fifo_.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return;
    char buf[65536];
    while (::read(fd, buf, sizeof buf) > 0) {
    }
    ::close(fd);
}

SignalWriter::SignalWriter(const std::string& fifo, int rate, Signal signal, double pace)
    : fifo_(fifo), rate_(rate), signal_(std::move(signal)), pace_(pace)
{
}

void SignalWriter::start(std::uint64_t totalFrames)
{
    stop();
    stop_ = false;
    finished_ = false;
    thread_ = std::thread([this, totalFrames] { loop(totalFrames); });
}

void SignalWriter::stop()
{
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

bool SignalWriter::waitFinished(double timeoutSeconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (!finished_ && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return finished_;
}

void SignalWriter::loop(std::uint64_t total)
{
    using clock = std::chrono::steady_clock;
    // The server holds the FIFO open for reading, so this open does not block.
    int fd = ::open(fifo_.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd < 0) {
        finished_ = true;
        return;
    }
    const std::size_t chunkFrames = static_cast<std::size_t>(rate_) / 100; // 10 ms
    const int channels = signal_.channels();
    std::vector<std::int16_t> chunk;
    std::size_t offset = 0; // bytes of the current chunk already written
    bool pending = false;   // the current chunk is not yet fully written
    const auto begin = clock::now();
    while (!stop_ && (total == 0 || written_ < total)) {
        if (!pending) {
            std::size_t frames = chunkFrames;
            if (total) frames = static_cast<std::size_t>(std::min<std::uint64_t>(frames, total - written_));
            chunk = signal_.next(frames);
            pending = true;
        }
        if (pace_ > 0) {
            // Stay on schedule: the frames written so far must not run ahead of the clock.
            auto due = begin + std::chrono::duration<double>(double(written_) / (rate_ * pace_));
            std::this_thread::sleep_until(due);
        }
        const auto* bytes = reinterpret_cast<const char*>(chunk.data());
        const std::size_t size = chunk.size() * sizeof(std::int16_t);
        ssize_t n = ::write(fd, bytes + offset, size - offset);
        if (n < 0) {
            if (errno == EAGAIN) {
                pollfd p{fd, POLLOUT, 0};
                ::poll(&p, 1, 20);
                continue;
            }
            if (errno == EINTR) continue;
            break;
        }
        offset += static_cast<std::size_t>(n);
        if (offset == size) {
            written_ += chunk.size() / static_cast<std::size_t>(channels);
            offset = 0;
            pending = false;
        }
    }
    ::close(fd);
    finished_ = true;
}

} // namespace testsound
