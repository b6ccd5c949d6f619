#pragma once
// Helpers of the tag tests: temporary folders, file bytes, crafted tags and
// the mutagen peer script.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace tagtest {

using Bytes = std::vector<std::uint8_t>;

// "00 52 6F" -> bytes
inline Bytes hex(const std::string& text)
{
    Bytes out;
    std::istringstream in(text);
    std::string pair;
    while (in >> pair) out.push_back(static_cast<std::uint8_t>(std::stoul(pair, nullptr, 16)));
    return out;
}

inline Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Audio-like bytes that neither start with "ID3" nor end with "TAG".
inline Bytes fakeAudio(std::size_t n, unsigned seed = 1)
{
    Bytes out(n);
    std::uint32_t x = seed * 2654435761u + 12345;
    for (auto& b : out) {
        x = x * 1103515245u + 12345;
        b = static_cast<std::uint8_t>(x >> 16);
    }
    if (n > 0) out[0] = 0xFF; // an MPEG sync byte
    return out;
}

inline Bytes plainSize(std::uint32_t v)
{
    return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}

inline Bytes syncSafeSize(std::uint32_t v)
{
    return {std::uint8_t((v >> 21) & 127), std::uint8_t((v >> 14) & 127), std::uint8_t((v >> 7) & 127),
            std::uint8_t(v & 127)};
}

// A frame with a plain (or, for the old writer, sync-safe) size.
inline Bytes frame(const std::string& id, const Bytes& body, bool syncSafe = false, Bytes flags = {0, 0})
{
    return bytesOf(id) + (syncSafe ? syncSafeSize(std::uint32_t(body.size())) : plainSize(std::uint32_t(body.size()))) +
           flags + body;
}

inline Bytes textBody(const std::string& latin1) { return Bytes{0} + bytesOf(latin1) + Bytes{0}; }

// An ID3v2 header of the given version and frame-area size, then the area.
inline Bytes tag(const Bytes& frames, std::size_t padding = 0, std::uint8_t version = 3, std::uint8_t flags = 0)
{
    Bytes area = frames;
    area.resize(area.size() + padding, 0);
    return Bytes{'I', 'D', '3', version, 0, flags} + syncSafeSize(std::uint32_t(area.size())) + area;
}

class TempDir {
public:
    TempDir()
    {
        char tmpl[] = "/tmp/velmor-tags-XXXXXX";
        if (!::mkdtemp(tmpl)) ADD_FAILURE() << "mkdtemp";
        path_ = tmpl;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

inline Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline Bytes tail(const Bytes& b, std::size_t n) { return Bytes(b.end() - std::ptrdiff_t(n), b.end()); }

struct RunResult {
    int exitCode = -1;
    std::string output;
};

// Runs a python script of the peer checks with args; stdout and stderr together.
inline RunResult runScript(const std::string& script, const std::vector<std::string>& args)
{
    std::vector<std::string> all{TAGMORA_PYTHON, script};
    all.insert(all.end(), args.begin(), args.end());
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {};
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], 1);
        ::dup2(pipeFds[1], 2);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    RunResult r;
    char buf[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;) r.output.append(buf, std::size_t(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// Runs the mutagen peer script with args.
inline RunResult runPeer(const std::vector<std::string>& args) { return runScript(TAGMORA_PEER_SCRIPT, args); }

#define EXPECT_PEER(...)                                                                                              \
    do {                                                                                                              \
        auto peer_ = ::tagtest::runPeer({__VA_ARGS__});                                                               \
        EXPECT_EQ(peer_.exitCode, 0) << peer_.output;                                                                 \
    } while (0)

} // namespace tagtest
