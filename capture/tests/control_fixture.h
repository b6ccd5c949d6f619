#pragma once
// A container for the capture control in tests: the library registered in a
// fresh class registry, an apartment on the test's thread, an event sink, and
// a pipe source of the test's own on the shared sound server.

#include "capture/TavorAudioDXRecord3.h"
#include "platform/com/com.h"
#include "platform/testserver/pipe_source.h"
#include "platform/testserver/tone_analysis.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace capture_test {

using namespace std::chrono_literals;
using namespace TavorAudioDXRecord3Lib;

// Records every event the control raises, in arrival order.
class EventSink final : public com::Implements<IDispatch> {
public:
    struct Event {
        DISPID id;
        std::vector<com::Variant> args;
        std::chrono::steady_clock::time_point at;
    };
    std::vector<Event> events;
    // Runs inside EndArrayRecord, as a container takes its block there.
    std::function<void()> onBlock;

    std::size_t count(DISPID id) const
    {
        std::size_t n = 0;
        for (const auto& e : events) n += e.id == id;
        return n;
    }
    std::vector<const Event*> of(DISPID id) const
    {
        std::vector<const Event*> out;
        for (const auto& e : events)
            if (e.id == id) out.push_back(&e);
        return out;
    }

    HRESULT GetTypeInfoCount(UINT* n) override
    {
        *n = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, OLECHAR**, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override
    {
        EXPECT_EQ(flags, DISPATCH_METHOD);
        Event e{id, {}, std::chrono::steady_clock::now()};
        com::DispArgs args(params);
        for (UINT i = 0; i < args.count(); ++i) e.args.emplace_back(*args.arg(i));
        events.push_back(std::move(e));
        if (id == DISPID_EndArrayRecord && onBlock) onBlock();
        return S_OK;
    }
};

// The control's clock: milliseconds of the monotonic clock, 32 bits.
inline std::uint32_t tickNow()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

inline std::int64_t counterValue(const VARIANT& v) { return v.vt == VT_I8 ? v.llVal : v.vt == VT_I4 ? v.lVal : -1; }

inline std::vector<std::int16_t> levelsOf(const EventSink::Event& timer)
{
    const VARIANT& v = timer.args.at(1);
    if (v.vt != (VT_ARRAY | VT_I2)) return {};
    const auto* p = static_cast<const std::int16_t*>(v.parray->pvData);
    return {p, p + com::elementCount(v.parray)};
}

inline std::vector<std::uint8_t> bytesOf(SAFEARRAY* a)
{
    if (!a) return {};
    const auto* p = static_cast<const std::uint8_t*>(a->pvData);
    return {p, p + com::elementCount(a)};
}

// The interleaved 16-bit samples after a block's 40-byte header.
inline std::vector<std::int16_t> samplesOf(const std::vector<std::uint8_t>& array)
{
    if (array.size() < 40) return {};
    std::vector<std::int16_t> out((array.size() - 40) / 2);
    std::memcpy(out.data(), array.data() + 40, out.size() * 2);
    return out;
}

// Writes given frames into a pipe source's FIFO from a thread: at `pace`
// times real time (in 10 ms pieces), or as fast as it takes them with pace 0.
class FrameFeeder {
public:
    FrameFeeder(const testsound::PipeSource& source, std::vector<std::int16_t> samples, double pace = 0)
        : thread_([fifo = source.fifo(), samples = std::move(samples), pace, rate = source.rate(), channels = source.channels()] {
              int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
              if (fd < 0) return;
              const auto begin = std::chrono::steady_clock::now();
              const std::size_t piece = std::size_t(rate / 100) * std::size_t(channels) * 2;
              const auto* bytes = reinterpret_cast<const char*>(samples.data());
              const std::size_t total = samples.size() * 2;
              std::size_t done = 0;
              while (done < total) {
                  if (pace > 0) {
                      const double seconds = double(done) / (2.0 * channels * rate * pace);
                      std::this_thread::sleep_until(begin + std::chrono::duration<double>(seconds));
                  }
                  const std::size_t want = pace > 0 ? std::min(piece, total - done) : total - done;
                  ssize_t n = ::write(fd, bytes + done, want);
                  if (n < 0) {
                      pollfd w{fd, POLLOUT, 0};
                      if (::poll(&w, 1, 2000) <= 0) break;
                      continue;
                  }
                  done += std::size_t(n);
              }
              ::close(fd);
          })
    {
    }
    ~FrameFeeder() { thread_.join(); }
    FrameFeeder(const FrameFeeder&) = delete;
    FrameFeeder& operator=(const FrameFeeder&) = delete;

private:
    std::thread thread_;
};

// `frames` frames of a square wave per channel, swinging between +a and -a.
inline std::vector<std::int16_t> squareWaves(const std::vector<std::int16_t>& amplitudes, std::size_t frames)
{
    std::vector<std::int16_t> out;
    out.reserve(frames * amplitudes.size());
    for (std::size_t f = 0; f < frames; ++f)
        for (auto a : amplitudes) out.push_back(static_cast<std::int16_t>((f / 10) % 2 ? -a : a));
    return out;
}

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsound::SoundServer::shared();
        char tmpl[] = "/tmp/velmor-capture-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        home_ = tmpl;
        ::setenv("VELMOR_HOME", home_.c_str(), 1);
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        std::string error;
        ASSERT_EQ(com::registerServerLibrary(CAPTURE_LIBRARY_PATH, false, &error), S_OK) << error;
    }

    void TearDown() override
    {
        sink_.reset();
        connection_.disconnect();
        if (control_) {
            control_->Stop();
            control_.reset();
            pumpFor(50ms); // the workers' last releases
        }
        sources_.clear();
        CoUninitialize();
        ::unsetenv("VELMOR_HOME");
        std::error_code ec;
        std::filesystem::remove_all(home_, ec);
    }

    testsound::PipeSource& addSource(const std::string& name, int rate = 44100, int channels = 2)
    {
        sources_.push_back(std::make_unique<testsound::PipeSource>(testsound::SoundServer::shared(), name,
                                                                   "Capture Test " + name, rate, channels));
        return *sources_.back();
    }

    // Creates the control through the registry and connects the sink.
    void createControl()
    {
        ASSERT_EQ(CoCreateInstance(CLSID_AudioDXRecord3, nullptr, CLSCTX_INPROC_SERVER, IID_REduruZUZedova3,
                                   control_.putVoid()),
                  S_OK);
        sink_ = com::ComPtr<EventSink>::adopt(com::makeObject<EventSink>());
        ASSERT_EQ(connection_.connect(control_.get(), DIID__REduruZUZedova3Events, sink_.get()), S_OK);
    }

    // Selects the device that is this pipe source; false when the list lacks it.
    bool selectSource(const testsound::PipeSource& source)
    {
        LONG count = -1;
        control_->get_devInputCount(&count);
        for (LONG i = 1; i <= count; ++i) {
            control_->put_devInputNum(i);
            com::Bstr name;
            control_->get_devInputName(name.put());
            if (name.utf8() == source.description()) return true;
        }
        return false;
    }

    void pumpFor(std::chrono::milliseconds d)
    {
        com::Apartment::current()->pumpUntil([] { return false; }, d);
    }
    bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s)
    {
        return com::Apartment::current()->pumpUntil(done, timeout);
    }

    bool started()
    {
        VARIANT_BOOL s = 0;
        control_->IsStarted(&s);
        return s == VARIANT_TRUE;
    }

    // Takes every queued block.
    std::vector<std::vector<std::uint8_t>> receiveAll()
    {
        std::vector<std::vector<std::uint8_t>> blocks;
        for (;;) {
            SAFEARRAY* a = nullptr;
            EXPECT_EQ(control_->ReceiveAudioArray(&a), S_OK);
            auto bytes = bytesOf(a);
            SafeArrayDestroy(a);
            if (bytes.empty()) return blocks;
            blocks.push_back(std::move(bytes));
        }
    }

    std::int64_t lostFrames()
    {
        com::Bstr name(kLostFramesParam);
        com::Variant v;
        EXPECT_EQ(control_->GetAdditionalParam(name.get(), v.put()), S_OK);
        EXPECT_EQ(v.vt, VT_I8);
        return v.llVal;
    }

    std::string home_;
    std::vector<std::unique_ptr<testsound::PipeSource>> sources_;
    com::ComPtr<REduruZUZedova3> control_;
    com::ComPtr<EventSink> sink_;
    com::EventConnection connection_;
};

} // namespace capture_test
