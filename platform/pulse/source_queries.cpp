#include "platform/pulse/source_queries.h"

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

// Runs request(context) and waits for it; `answered` tells whether its
// callback came. A context that died under the request is rebuilt once.
template <class Request>
bool roundTrip(ServerConnection& c, std::chrono::milliseconds timeout, Request request, const bool& answered)
{
    ServerConnection::Lock lock(c);
    for (int attempt = 0; attempt < 2; ++attempt) {
        pa_context* context = c.readyContext(timeout);
        if (!context) return false;
        c.finish(request(context), timeout);
        if (answered) return true;
        if (c.connected()) return false; // a live server that did not answer in time
    }
    return false;
}

} // namespace

std::vector<SourceInfo> captureOrder(std::vector<SourceInfo> list)
{
    std::stable_partition(list.begin(), list.end(), [](const SourceInfo& s) { return !s.monitor; });
    return list;
}

std::optional<std::vector<SourceInfo>> sources(ServerConnection& c, std::chrono::milliseconds timeout)
{
    ListRequest r;
    auto request = [&](pa_context* context) {
        r.items.clear();
        return pa_context_get_source_info_list(context, onSource, &r);
    };
    if (!roundTrip(c, timeout, request, r.done)) return std::nullopt;
    return captureOrder(std::move(r.items));
}

std::optional<SourceInfo> source(ServerConnection& c, const std::string& name, std::chrono::milliseconds timeout)
{
    ListRequest r;
    auto request = [&](pa_context* context) {
        r.items.clear();
        return pa_context_get_source_info_by_name(context, name.c_str(), onSource, &r);
    };
    if (!roundTrip(c, timeout, request, r.done) || r.items.empty()) return std::nullopt;
    return r.items.front();
}

bool setSourceVolume(ServerConnection& c, const std::string& name, const std::vector<std::uint32_t>& perChannel,
                     std::chrono::milliseconds timeout)
{
    auto info = source(c, name, timeout);
    if (!info || perChannel.empty()) return false;
    pa_cvolume v;
    pa_cvolume_init(&v);
    v.channels = static_cast<std::uint8_t>(std::clamp(info->channels, 1, int(PA_CHANNELS_MAX)));
    for (unsigned ch = 0; ch < v.channels; ++ch)
        v.values[ch] = std::min<std::uint32_t>(perChannel[std::min<std::size_t>(ch, perChannel.size() - 1)], PA_VOLUME_MAX);
    SuccessRequest r;
    auto request = [&](pa_context* context) {
        return pa_context_set_source_volume_by_name(context, name.c_str(), &v, onSuccess, &r);
    };
    return roundTrip(c, timeout, request, r.done) && r.ok;
}

bool setSourcePort(ServerConnection& c, const std::string& name, const std::string& port, std::chrono::milliseconds timeout)
{
    SuccessRequest r;
    auto request = [&](pa_context* context) {
        return pa_context_set_source_port_by_name(context, name.c_str(), port.c_str(), onSuccess, &r);
    };
    return roundTrip(c, timeout, request, r.done) && r.ok;
}

std::optional<std::string> defaultSourceName(ServerConnection& c, std::chrono::milliseconds timeout)
{
    struct Request {
        std::string name;
        bool done = false;
    } r;
    auto request = [&](pa_context* context) {
        return pa_context_get_server_info(
            context,
            [](pa_context*, const pa_server_info* i, void* user) {
                auto* r = static_cast<Request*>(user);
                if (i && i->default_source_name) r->name = i->default_source_name;
                r->done = true;
            },
            &r);
    };
    if (!roundTrip(c, timeout, request, r.done)) return std::nullopt;
    return r.name;
}

} // namespace pulse
