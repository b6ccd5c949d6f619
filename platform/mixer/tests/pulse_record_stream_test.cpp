#include "platform/mixer/pulse_record_stream.h"

#include "platform/testserver/pipe_source.h"
#include "platform/testserver/tone_analysis.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>

using namespace mixer;
using namespace testsound;
using namespace std::chrono_literals;

namespace {

// Buffers handed back by a stream, as the stream's thread reports them.
class HandedBack {
public:
    RecordStream::BufferDone callback()
    {
        return [this](WaveBuffer& b) {
            std::lock_guard lock(mutex_);
            buffers_.push_back(&b);
            changed_.notify_all();
        };
    }
    WaveBuffer* next(std::chrono::milliseconds timeout = 5s)
    {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, timeout, [&] { return !buffers_.empty(); })) return nullptr;
        auto* b = buffers_.front();
        buffers_.pop_front();
        return b;
    }
    std::size_t size()
    {
        std::lock_guard lock(mutex_);
        return buffers_.size();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<WaveBuffer*> buffers_;
};

struct Buffer {
    explicit Buffer(std::uint32_t bytes, std::uintptr_t user = 0) : samples(bytes / 2)
    {
        header.data = reinterpret_cast<std::byte*>(samples.data());
        header.length = bytes;
        header.user = user;
    }
    std::vector<std::int16_t> samples;
    WaveBuffer header;
};

std::uint32_t frameIndex(const std::int16_t* frame)
{
    return std::uint32_t(std::uint16_t(frame[0])) | (std::uint32_t(std::uint16_t(frame[1])) << 16);
}

constexpr std::chrono::milliseconds kTimeout{2000};

TEST(PulseRecordStream, RefusesMissingSourcesAndInvalidFormats)
{
    SoundServer::shared();
    HandedBack back;
    EXPECT_EQ(PulseRecordStream::open("velmor_no_such_source", WaveFormat{}, back.callback(), kTimeout), nullptr);
    WaveFormat none{0, 44100, 16};
    EXPECT_EQ(PulseRecordStream::open("velmor_pipe", none, back.callback(), kTimeout), nullptr);
    WaveFormat eightBit{2, 44100, 8};
    EXPECT_EQ(PulseRecordStream::open("velmor_pipe", eightBit, back.callback(), kTimeout), nullptr);
    WaveFormat noRate{2, 0, 16};
    EXPECT_EQ(PulseRecordStream::open("velmor_pipe", noRate, back.callback(), kTimeout), nullptr);
    auto ok = PulseRecordStream::open("velmor_pipe", WaveFormat{}, back.callback(), kTimeout);
    ASSERT_NE(ok, nullptr);
    Buffer odd(10241);
    EXPECT_FALSE(ok->addBuffer(odd.header)); // not whole frames
}

// The owner takes its time re-lending buffers while audio comes faster than
// real time: nothing is lost, nothing repeats, buffers come back in order.
TEST(PulseRecordStream, SlowOwnerLosesNoAudioAndBuffersComeBackInOrder)
{
    auto& server = SoundServer::shared();
    PipeSource src(server, "velmor_stream_order", "Stream Order Input");
    HandedBack back;
    auto stream = PulseRecordStream::open(src.name(), WaveFormat{}, back.callback(), kTimeout);
    ASSERT_NE(stream, nullptr);
    std::vector<std::unique_ptr<Buffer>> buffers;
    for (std::uintptr_t i = 0; i < 3; ++i) buffers.push_back(std::make_unique<Buffer>(4096, i));
    ASSERT_TRUE(stream->start());
    for (auto& b : buffers) ASSERT_TRUE(stream->addBuffer(b->header));

    const std::uint64_t frames = 1024 * 60; // 60 buffers of 1024 frames
    SignalWriter writer(src, Signal::counter(2), 0);
    writer.start(frames);
    std::uint32_t expected = 0;
    bool first = true;
    std::uintptr_t expectedUser = 0;
    for (int n = 0; n < 60; ++n) {
        WaveBuffer* b = back.next();
        ASSERT_NE(b, nullptr) << "buffer " << n;
        ASSERT_EQ(b->user, expectedUser);
        expectedUser = (expectedUser + 1) % 3;
        ASSERT_EQ(b->bytesRecorded, 4096u);
        const auto* s = reinterpret_cast<const std::int16_t*>(b->data);
        for (std::uint32_t f = 0; f < 1024; ++f) {
            const auto index = frameIndex(s + 2 * f);
            if (first) {
                expected = index;
                first = false;
            }
            ASSERT_EQ(index, expected) << "buffer " << n << " frame " << f;
            ++expected;
        }
        if (n % 10 == 0) std::this_thread::sleep_for(20ms); // audio piles up in the stream meanwhile
        ASSERT_TRUE(stream->addBuffer(*b));
    }
    EXPECT_LT(expected, frames + 1);
}

TEST(PulseRecordStream, StopHandsBackThePartBufferAndResetTheRest)
{
    auto& server = SoundServer::shared();
    PipeSource src(server, "velmor_stream_stop", "Stream Stop Input");
    HandedBack back;
    auto stream = PulseRecordStream::open(src.name(), WaveFormat{}, back.callback(), kTimeout);
    ASSERT_NE(stream, nullptr);
    Buffer big(44100 * 4, 1), spare(4096, 2);
    ASSERT_TRUE(stream->start());
    ASSERT_TRUE(stream->addBuffer(big.header));
    ASSERT_TRUE(stream->addBuffer(spare.header));
    SignalWriter writer(src, Signal::sine(1000, 0.5, 2), 0);
    writer.start(4410); // a tenth of the big buffer
    ASSERT_TRUE(writer.waitFinished(5));
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(stream->stop());
    WaveBuffer* part = back.next();
    ASSERT_EQ(part, &big.header);
    EXPECT_GT(part->bytesRecorded, 0u);
    EXPECT_LE(part->bytesRecorded, 4410u * 4);
    EXPECT_EQ(part->bytesRecorded % 4, 0u);
    const std::span<const std::int16_t> audio(big.samples.data(), part->bytesRecorded / 2);
    EXPECT_NEAR(toneAmplitude(audio, 2, 0, 1000, 44100), 0.5, 0.05);
    EXPECT_EQ(back.size(), 0u);

    ASSERT_TRUE(stream->reset());
    EXPECT_EQ(back.next(), &spare.header);
    EXPECT_EQ(spare.header.bytesRecorded, 0u);
    EXPECT_EQ(stream->pendingBytes(), 0u);
}

TEST(PulseRecordStream, RemovedSourceFailsTheStreamAndHandsBackWhatItGot)
{
    auto& server = SoundServer::shared();
    auto src = std::make_unique<PipeSource>(server, "velmor_stream_gone", "Stream Gone Input");
    HandedBack back;
    auto stream = PulseRecordStream::open(src->name(), WaveFormat{}, back.callback(), kTimeout);
    ASSERT_NE(stream, nullptr);
    Buffer big(44100 * 4, 1);
    ASSERT_TRUE(stream->start());
    ASSERT_TRUE(stream->addBuffer(big.header));
    {
        SignalWriter writer(*src, Signal::sine(1000, 0.5, 2), 0);
        writer.start(2205);
        ASSERT_TRUE(writer.waitFinished(5));
    }
    std::this_thread::sleep_for(200ms);
    src.reset();
    WaveBuffer* part = back.next();
    ASSERT_EQ(part, &big.header);
    EXPECT_GT(part->bytesRecorded, 0u);
    EXPECT_TRUE(stream->failed());
    Buffer more(4096);
    EXPECT_FALSE(stream->addBuffer(more.header));
    EXPECT_FALSE(stream->start());
    stream->stop();
    EXPECT_TRUE(stream->reset());
}

} // namespace
