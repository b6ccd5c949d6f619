#include "platform/pulse/pulse_connection.h"

#include <pulse/pulseaudio.h>

#include <algorithm>

namespace pulse {

namespace {

SourceInfo toSourceInfo(const pa_source_info& i)
{
    SourceInfo s;
    s.index = i.index;
    s.name = i.name ? i.name : "";
    s.description = i.description ? i.description : s.name;
    s.monitor = i.monitor_of_sink != PA_INVALID_INDEX;
    s.channels = i.channel_map.channels;
    s.rate = i.sample_spec.rate;
    for (unsigned c = 0; c < i.volume.channels; ++c) s.volume.push_back(i.volume.values[c]);
    s.muted = i.mute != 0;
    for (std::uint32_t p = 0; p < i.n_ports; ++p) {
        const pa_source_port_info* port = i.ports[p];
        s.ports.push_back({port->name ? port->name : "", port->description ? port->description : "",
                           port->available != PA_PORT_AVAILABLE_NO});
    }
    if (i.active_port && i.active_port->name) s.activePort = i.active_port->name;
    return s;
}

struct ListRequest {
    std::vector<SourceInfo> items;
    bool done = false;
};

void onSource(pa_context*, const pa_source_info* i, int eol, void* user)
{
    auto* r = static_cast<ListRequest*>(user);
    if (eol) {
        r->done = true;
        return;
    }
    if (i) r->items.push_back(toSourceInfo(*i));
}

struct SuccessRequest {
    bool ok = false;
    bool done = false;
};

void onSuccess(pa_context*, int success, void* user)
{
    auto* r = static_cast<SuccessRequest*>(user);
    r->ok = success != 0;
    r->done = true;
}

} // namespace

std::vector<SourceInfo> captureOrder(std::vector<SourceInfo> list)
{
    std::stable_partition(list.begin(), list.end(), [](const SourceInfo& s) { return !s.monitor; });
    return list;
}

PulseConnection::PulseConnection(std::string clientName, std::chrono::milliseconds timeout)
    : clientName_(std::move(clientName)), timeout_(timeout)
{
}

PulseConnection::~PulseConnection() { disconnect(); }

void PulseConnection::disconnect()
{
    if (context_) {
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    if (loop_) {
        pa_mainloop_free(loop_);
        loop_ = nullptr;
    }
}

bool PulseConnection::connected() const { return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY; }

bool PulseConnection::ensureConnected()
{
    if (connected()) return true;
    disconnect();
    loop_ = pa_mainloop_new();
    if (!loop_) return false;
    context_ = pa_context_new(pa_mainloop_get_api(loop_), clientName_.c_str());
    if (!context_ || pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        disconnect();
        return false;
    }
    if (!iterateUntil([this] { return pa_context_get_state(context_) == PA_CONTEXT_READY; })) {
        disconnect();
        return false;
    }
    return true;
}

bool PulseConnection::iterateUntil(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout_;
    while (!done()) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) return false;
        auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        if (pa_mainloop_prepare(loop_, static_cast<int>(std::min<long long>(left.count(), 100000))) < 0) return false;
        if (pa_mainloop_poll(loop_) < 0) return false;
        if (pa_mainloop_dispatch(loop_) < 0) return false;
    }
    return true;
}

bool PulseConnection::finish(pa_operation* op, const bool& done)
{
    if (!op) return false;
    bool ok = iterateUntil([&] { return done; });
    if (!ok) pa_operation_cancel(op);
    pa_operation_unref(op);
    if (!ok) disconnect(); // a late reply must not reach a request that is gone
    return ok;
}

std::optional<std::vector<SourceInfo>> PulseConnection::sources()
{
    // A connection found dead is rebuilt once: the server may have restarted.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!ensureConnected()) return std::nullopt;
        ListRequest r;
        if (finish(pa_context_get_source_info_list(context_, onSource, &r), r.done)) return captureOrder(std::move(r.items));
    }
    return std::nullopt;
}

std::optional<SourceInfo> PulseConnection::source(const std::string& name)
{
    if (!ensureConnected()) return std::nullopt;
    ListRequest r;
    if (!finish(pa_context_get_source_info_by_name(context_, name.c_str(), onSource, &r), r.done)) return std::nullopt;
    if (r.items.empty()) return std::nullopt;
    return r.items.front();
}

bool PulseConnection::setSourceVolume(const std::string& name, const std::vector<std::uint32_t>& perChannel)
{
    auto info = source(name);
    if (!info || perChannel.empty()) return false;
    pa_cvolume v;
    pa_cvolume_init(&v);
    v.channels = static_cast<std::uint8_t>(std::clamp(info->channels, 1, int(PA_CHANNELS_MAX)));
    for (unsigned c = 0; c < v.channels; ++c)
        v.values[c] = std::min<std::uint32_t>(perChannel[std::min<std::size_t>(c, perChannel.size() - 1)], PA_VOLUME_MAX);
    SuccessRequest r;
    if (!finish(pa_context_set_source_volume_by_name(context_, name.c_str(), &v, onSuccess, &r), r.done)) return false;
    return r.ok;
}

bool PulseConnection::setSourcePort(const std::string& name, const std::string& port)
{
    if (!ensureConnected()) return false;
    SuccessRequest r;
    if (!finish(pa_context_set_source_port_by_name(context_, name.c_str(), port.c_str(), onSuccess, &r), r.done))
        return false;
    return r.ok;
}

std::optional<std::string> PulseConnection::defaultSourceName()
{
    if (!ensureConnected()) return std::nullopt;
    struct Request {
        std::string name;
        bool done = false;
    } r;
    auto* op = pa_context_get_server_info(
        context_,
        [](pa_context*, const pa_server_info* i, void* user) {
            auto* r = static_cast<Request*>(user);
            if (i && i->default_source_name) r->name = i->default_source_name;
            r->done = true;
        },
        &r);
    if (!finish(op, r.done)) return std::nullopt;
    return r.name;
}

} // namespace pulse
