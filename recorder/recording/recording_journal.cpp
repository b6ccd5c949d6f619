#include "recorder/recording/recording_journal.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace recorder {

namespace {

// A journal line is short; anything longer is not ours.
constexpr std::size_t kMaxJournalBytes = 16 * 1024;

std::uint32_t get32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t get16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
void put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}
void put64(std::uint8_t* p, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

bool readAt(int fd, std::uint64_t offset, std::uint8_t* out, std::size_t n)
{
    return ::pread(fd, out, n, static_cast<off_t>(offset)) == static_cast<ssize_t>(n);
}
bool writeAt(int fd, std::uint64_t offset, const std::uint8_t* in, std::size_t n)
{
    return ::pwrite(fd, in, n, static_cast<off_t>(offset)) == static_cast<ssize_t>(n);
}

struct Fd {
    int fd;
    ~Fd()
    {
        if (fd >= 0) ::close(fd);
    }
};

} // namespace

bool writeJournal(const std::string& journal, const JournalEntry& e)
{
    // The path is the one thing that may hold anything; a line break cannot be kept.
    if (e.path.find_first_of("\r\n") != std::string::npos) return false;
    std::ostringstream text;
    text << "file=" << e.path << "\nformat=" << e.extension << "\nstarted=" << static_cast<long long>(e.started)
         << "\nrate=" << e.sampleRate << "\nchannels=" << e.channels << "\n";
    const std::string temp = journal + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text.str();
        out.flush();
        if (!out) return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, journal, ec);
    if (ec) std::filesystem::remove(temp, ec);
    return !ec;
}

void removeJournal(const std::string& journal)
{
    std::error_code ec;
    std::filesystem::remove(journal, ec);
}

std::optional<JournalEntry> readJournal(const std::string& journal)
{
    std::ifstream in(journal, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(kMaxJournalBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxJournalBytes) return std::nullopt;
    JournalEntry e;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        auto number = [&value]() -> long long {
            try {
                return std::stoll(value);
            } catch (...) {
                return 0;
            }
        };
        if (key == "file") e.path = value;
        else if (key == "format") e.extension = value;
        else if (key == "started") e.started = static_cast<std::time_t>(number());
        else if (key == "rate") e.sampleRate = static_cast<int>(std::clamp(number(), 0LL, 1000000LL));
        else if (key == "channels") e.channels = static_cast<int>(std::clamp(number(), 0LL, 64LL));
    }
    if (e.path.empty() || e.path.find('\0') != std::string::npos) return std::nullopt;
    return e;
}

WavRepair repairWavHeader(const std::string& path)
{
    WavRepair r;
    Fd file{::open(path.c_str(), O_RDWR | O_CLOEXEC)};
    if (file.fd < 0) {
        r.error = std::strerror(errno);
        return r;
    }
    const off_t end = ::lseek(file.fd, 0, SEEK_END);
    std::array<std::uint8_t, 12> riff{};
    if (end < 12 || !readAt(file.fd, 0, riff.data(), riff.size()) || std::memcmp(riff.data() + 8, "WAVE", 4) != 0 ||
        (std::memcmp(riff.data(), "RIFF", 4) != 0 && std::memcmp(riff.data(), "RF64", 4) != 0)) {
        r.error = "it is not a WAV file";
        return r;
    }
    const auto size = static_cast<std::uint64_t>(end);
    // Walk the chunks before the data: their sizes are written once, at the start.
    std::uint64_t at = 12, ds64 = 0, junk = 0;
    std::uint16_t blockAlign = 0;
    std::uint32_t byteRate = 0;
    for (int chunks = 0; chunks < 64 && at + 8 <= size; ++chunks) {
        std::array<std::uint8_t, 8> head{};
        if (!readAt(file.fd, at, head.data(), head.size())) break;
        const std::uint32_t length = get32(head.data() + 4);
        if (std::memcmp(head.data(), "data", 4) == 0) {
            if (blockAlign == 0 || byteRate == 0) break;
            const std::uint64_t dataStart = at + 8;
            const std::uint64_t data = (size - dataStart) / blockAlign * blockAlign;
            const std::uint64_t riffBytes = dataStart - 8 + data + (data & 1);
            const bool big = riffBytes > 0xFFFFFFFFull;
            std::array<std::uint8_t, 4> v{};
            bool ok = true;
            if (big) {
                if (ds64 == 0 && junk == 0) {
                    r.error = "its audio is too long for a WAV header without room for an RF64 one";
                    return r;
                }
                const std::uint64_t table = ds64 ? ds64 : junk;
                std::array<std::uint8_t, 24> sizes{};
                put64(sizes.data(), riffBytes);
                put64(sizes.data() + 8, data);
                put64(sizes.data() + 16, data / blockAlign);
                ok = writeAt(file.fd, table + 8, sizes.data(), sizes.size()) &&
                     writeAt(file.fd, table, reinterpret_cast<const std::uint8_t*>("ds64"), 4) &&
                     writeAt(file.fd, 0, reinterpret_cast<const std::uint8_t*>("RF64"), 4);
                put32(v.data(), 0xFFFFFFFFu);
                ok = ok && writeAt(file.fd, 4, v.data(), 4) && writeAt(file.fd, at + 4, v.data(), 4);
            } else {
                put32(v.data(), static_cast<std::uint32_t>(riffBytes));
                ok = writeAt(file.fd, 4, v.data(), 4);
                put32(v.data(), static_cast<std::uint32_t>(data));
                ok = ok && writeAt(file.fd, at + 4, v.data(), 4);
            }
            if (ok && data + dataStart < size) ok = ::ftruncate(file.fd, static_cast<off_t>(dataStart + data)) == 0;
            if (!ok || ::fsync(file.fd) != 0) {
                r.error = std::strerror(errno);
                return r;
            }
            r.repaired = true;
            r.seconds = double(data) / byteRate;
            return r;
        }
        if (std::memcmp(head.data(), "fmt ", 4) == 0 && length >= 16) {
            std::array<std::uint8_t, 16> f{};
            if (!readAt(file.fd, at + 8, f.data(), f.size())) break;
            byteRate = get32(f.data() + 8);
            blockAlign = get16(f.data() + 12);
        } else if (std::memcmp(head.data(), "ds64", 4) == 0 && length >= 24) {
            ds64 = at;
        } else if (std::memcmp(head.data(), "JUNK", 4) == 0 && length >= 28) {
            junk = at;
        }
        at += 8 + std::uint64_t(length) + (length & 1);
    }
    r.error = "its header holds no format or no data";
    return r;
}

} // namespace recorder
