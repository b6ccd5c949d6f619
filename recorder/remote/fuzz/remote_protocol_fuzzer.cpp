// libFuzzer target over what arrives from outside the recorder: request
// bytes on its socket, reply bytes in the client, and command-line words.
// Invariants are checked as well as crashes: a framed line never reaches
// past the bytes received or the size limit, and what parses writes back
// to the same bytes.

#include "recorder/remote/command_line.h"
#include "recorder/remote/remote_protocol.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace recorder;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const RequestFrame frame = frameRequest(bytes);
    if (frame.kind == RequestFrame::Complete) {
        if (frame.lineBytes == 0 || frame.lineBytes > size || frame.lineBytes > kMaxRequestBytes + 1 ||
            bytes[frame.lineBytes - 1] != '\n')
            __builtin_trap();
        const std::string_view line = bytes.substr(0, frame.lineBytes - 1);
        if (const auto command = parseRequest(line)) {
            const std::string again = requestText(*command);
            if (again != std::string(line) + "\n" && again != std::string(line.substr(0, line.size() - 1)) + "\n")
                __builtin_trap();
        }
    }

    if (const auto reply = parseReply(bytes))
        if (replyText(*reply) != bytes) __builtin_trap();

    std::vector<std::string> words{"recorder"};
    for (std::size_t start = 0; start <= size && words.size() < 16;) {
        const auto end = bytes.find('\0', start);
        words.emplace_back(bytes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    std::vector<const char*> argv;
    for (const auto& w : words) argv.push_back(w.c_str());
    const CommandLine parsed = parseCommandLine(int(argv.size()), argv.data());
    if ((parsed.action == CommandLineAction::Invalid) == parsed.error.empty()) __builtin_trap();
    return 0;
}
