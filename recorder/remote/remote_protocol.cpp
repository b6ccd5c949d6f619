#include "recorder/remote/remote_protocol.h"

namespace recorder {

namespace {

constexpr std::pair<RemoteCommand, std::string_view> kNames[] = {
    {RemoteCommand::Record, "record"},
    {RemoteCommand::Stop, "stop"},
    {RemoteCommand::Show, "show"},
    {RemoteCommand::Status, "status"},
};

} // namespace

std::string requestText(RemoteCommand command)
{
    for (const auto& [c, name] : kNames)
        if (c == command) return std::string(name) + "\n";
    return {};
}

std::optional<RemoteCommand> parseRequest(std::string_view line)
{
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    for (const auto& [c, name] : kNames)
        if (line == name) return c;
    return std::nullopt;
}

RequestFrame frameRequest(std::string_view received)
{
    const auto end = received.find('\n');
    if (end == std::string_view::npos)
        return {received.size() > kMaxRequestBytes ? RequestFrame::TooLong : RequestFrame::Incomplete, 0};
    if (end > kMaxRequestBytes) return {RequestFrame::TooLong, 0};
    return {RequestFrame::Complete, end + 1};
}

std::string replyText(const RemoteReply& reply) { return (reply.ok ? "ok " : "error ") + reply.text; }

std::optional<RemoteReply> parseReply(std::string_view bytes)
{
    if (bytes.starts_with("ok ")) return RemoteReply{true, std::string(bytes.substr(3))};
    if (bytes.starts_with("error ")) return RemoteReply{false, std::string(bytes.substr(6))};
    return std::nullopt;
}

std::string statusText(bool recording, const std::string& path, long seconds)
{
    if (!recording) return "idle";
    return "recording " + path + " " + std::to_string(seconds);
}

} // namespace recorder
