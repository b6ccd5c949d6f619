#pragma once
// What a second process and the running recorder say to each other over the
// local socket. A request is one short line; the reply is "ok <text>" or
// "error <text>", ended by the recorder closing the connection (so a path
// with a line break in it still arrives whole).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace recorder {

enum class RemoteCommand { Record, Stop, Show, Status };

// Longer requests are refused without reading on.
inline constexpr std::size_t kMaxRequestBytes = 64;
// Longer replies are cut off by the client: a path is far shorter.
inline constexpr std::size_t kMaxReplyBytes = 64 * 1024;

struct RemoteReply {
    bool ok = false;
    std::string text;
};

std::string requestText(RemoteCommand command);
// One request line without its line end; nullopt for anything else.
std::optional<RemoteCommand> parseRequest(std::string_view line);

// Where the first request ends in the bytes received so far (at most
// kMaxRequestBytes + 1 of them need be looked at).
struct RequestFrame {
    enum Kind { Incomplete, TooLong, Complete } kind = Incomplete;
    std::size_t lineBytes = 0; // with Complete: the request line with its line end
};
RequestFrame frameRequest(std::string_view received);

std::string replyText(const RemoteReply& reply);
std::optional<RemoteReply> parseReply(std::string_view bytes);

// The status as --status prints it.
std::string statusText(bool recording, const std::string& path, long seconds);

} // namespace recorder
