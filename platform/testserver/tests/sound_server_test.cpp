// The private sound server works from C++ through libpulse: connect, list
// sources, record a tone written into a pipe source.

#include "platform/testserver/pipe_source.h"
#include "platform/testserver/stream_reader.h"
#include "platform/testserver/tone_analysis.h"

#include <gtest/gtest.h>

#include <pulse/pulseaudio.h>

#include <string>
#include <vector>

using namespace testsound;

namespace {

struct SourceEntry {
    std::string name, description;
    bool monitor;
};

// Lists the server's sources with a plain (non-threaded) main loop.
std::vector<SourceEntry> listSources(const std::string& server)
{
    std::vector<SourceEntry> out;
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* ctx = pa_context_new(pa_mainloop_get_api(loop), "velmor-test");
    bool failed = pa_context_connect(ctx, server.c_str(), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0;
    while (!failed && pa_context_get_state(ctx) != PA_CONTEXT_READY) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(ctx)) || pa_mainloop_iterate(loop, 1, nullptr) < 0) failed = true;
    }
    if (!failed) {
        struct Ctx {
            std::vector<SourceEntry>* out;
            bool done = false;
        } c{&out};
        pa_operation* op = pa_context_get_source_info_list(
            ctx,
            [](pa_context*, const pa_source_info* i, int eol, void* user) {
                auto* c = static_cast<Ctx*>(user);
                if (eol) {
                    c->done = true;
                    return;
                }
                c->out->push_back({i->name, i->description, i->monitor_of_sink != PA_INVALID_INDEX});
            },
            &c);
        while (!c.done && pa_mainloop_iterate(loop, 1, nullptr) >= 0) {
        }
        pa_operation_unref(op);
    }
    pa_context_disconnect(ctx);
    pa_context_unref(ctx);
    pa_mainloop_free(loop);
    return out;
}

TEST(SoundServer, ListsItsSourcesThroughLibpulse)
{
    auto& server = SoundServer::shared();
    auto sources = listSources(server.server());
    bool pipe = false, monitor = false;
    for (auto& s : sources) {
        if (s.name == "velmor_pipe") pipe = s.description == "Velmor Test Input" && !s.monitor;
        if (s.name == "velmor_null.monitor") monitor = s.monitor;
    }
    EXPECT_TRUE(pipe);
    EXPECT_TRUE(monitor);
}

TEST(SoundServer, RecordsTheToneWrittenIntoAPipeSource)
{
    auto& server = SoundServer::shared();
    PipeSource source(server, "velmor_selftest", "Self Test Input");
    ASSERT_TRUE(server.pactl("list short sources").find("velmor_selftest") != std::string::npos);

    SignalWriter writer(source, Signal::sine({1000.0, 440.0}, 0.5), 4.0);
    writer.start();
    auto captured = recordFromSource(server.server(), source.name(), 44100, 2, 44100);
    writer.stop();
    ASSERT_EQ(captured.size(), 88200u);
    EXPECT_NEAR(toneAmplitude(captured, 2, 0, 1000, 44100), 0.5, 0.02);
    EXPECT_NEAR(toneAmplitude(captured, 2, 1, 440, 44100), 0.5, 0.02);
    EXPECT_NEAR(peak(captured, 2, 0), 16384, 3);
}

TEST(SoundServer, PrivateServerCanBeKilled)
{
    auto own = SoundServer::startPrivate();
    EXPECT_TRUE(own->alive());
    EXPECT_FALSE(own->pactl("info").empty());
    own->kill();
    EXPECT_FALSE(own->alive());
    EXPECT_TRUE(own->pactl("info").empty());
}

} // namespace
