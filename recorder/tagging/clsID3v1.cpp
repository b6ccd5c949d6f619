#include "recorder/tagging/clsID3v1.h"

#include "recorder/fileutil/cut_at_nul.h"
#include "recorder/fileutil/latin1_text.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recorder {

namespace {

constexpr std::size_t kTagSize = 128;

constexpr const char* kGenreList =
    "Blues|Classic Rock|Country|Dance|Disco|Funk|Grunge|Hip-Hop|Jazz|Metal|New Age|Oldies|Other|Pop|R&B|Rap|Reggae|"
    "Rock|Techno|Industrial|Alternative|Ska|Death Metal|Pranks|Soundtrack|Euro-Techno|Ambient|Trip Hop|Vocal|"
    "Jazz+Funk|Fusion|Trance|Classical|Instrumental|Acid|House|Game|Sound Clip|Gospel|Noise|Alt. Rock|Bass|Soul|"
    "Punk|Space|Meditative|Instrumental Pop|Instrumental Rock|Ethnic|Gothic|Darkwave|Techno-Industrial|Electronic|"
    "Pop-Folk|Eurodance|Dream|Southern Rock|Comedy|Cult|Gangsta Rap|Top 40|Christian Rap|Pop/Punk|Jungle|"
    "Native American|Cabaret|New Wave|Phychedelic|Rave|Showtunes|Trailer|Lo-Fi|Tribal|Acid Punk|Acid Jazz|Polka|"
    "Retro|Musical|Rock & Roll|Hard Rock|Folk|Folk/Rock|National Folk|Swing|Fast-Fusion|Bebob|Latin|Revival|"
    "Celtic|Blue Grass|Avantegarde|Gothic Rock|Progressive Rock|Psychedelic Rock|Symphonic Rock|Slow Rock|"
    "Big Band|Chorus|Easy Listening|Acoustic|Humour|Speech|Chanson|Opera|Chamber Music|Sonata|Symphony|"
    "Booty Bass|Primus|Porn Groove|Satire|Slow Jam|Club|Tango|Samba|Folklore|Ballad|power Ballad|Rhythmic Soul|"
    "Freestyle|Duet|Punk Rock|Drum Solo|A Capella|Euro-House|Dance Hall|Goa|Drum & Bass|Club-House|Hardcore|"
    "Terror|indie|Brit Pop|Negerpunk|Polsk Punk|Beat|Christian Gangsta Rap|Heavy Metal|Black Metal|Crossover|"
    "Comteporary Christian|Christian Rock|Merengue|Salsa|Trash Metal|Anime|JPop|Synth Pop";

const std::vector<std::string>& genreNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        std::string_view all(kGenreList);
        for (std::size_t start = 0;;) {
            std::size_t bar = all.find('|', start);
            out.emplace_back(all.substr(start, bar == std::string_view::npos ? all.npos : bar - start));
            if (bar == std::string_view::npos) break;
            start = bar + 1;
        }
        return out;
    }();
    return names;
}

// Trimmed of spaces at both ends, then cut before the first NUL.
std::string fieldText(std::string_view raw)
{
    std::size_t first = raw.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    raw = raw.substr(first, raw.find_last_not_of(' ') - first + 1);
    return latin1ToUtf8(CutAtNul(raw));
}

template <std::size_t N>
std::string fieldText(const std::array<char, N>& field)
{
    return fieldText(std::string_view(field.data(), N));
}

template <std::size_t N>
void setField(std::array<char, N>& field, std::string_view utf8)
{
    std::string latin1 = utf8ToLatin1(utf8);
    field.fill(' ');
    std::memcpy(field.data(), latin1.data(), latin1.size() < N ? latin1.size() : N);
}

class File {
public:
    File(const std::string& path, int flags) : fd_(path.empty() ? -1 : ::open(path.c_str(), flags | O_CLOEXEC)) {}
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // The size, or -1.
    off_t size() const
    {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : -1;
    }
    bool writable() const
    {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 && (st.st_mode & S_IWUSR);
    }
    bool readAt(off_t offset, void* to, std::size_t n) const { return ::pread(fd_, to, n, offset) == ssize_t(n); }
    bool writeAt(off_t offset, const void* from, std::size_t n) const
    {
        return ::pwrite(fd_, from, n, offset) == ssize_t(n);
    }
    bool endsWithTag(off_t size) const
    {
        char mark[3];
        return size >= off_t(kTagSize) && readAt(size - off_t(kTagSize), mark, 3) && std::memcmp(mark, "TAG", 3) == 0;
    }

private:
    int fd_;
};

} // namespace

ID3v1Record ID3v1Record::blank()
{
    ID3v1Record r;
    r.title.fill(' ');
    r.artist.fill(' ');
    r.album.fill(' ');
    r.year.fill(' ');
    r.comment.fill(' ');
    return r;
}

ID3v1Record ID3v1Record::decode(const std::uint8_t* b)
{
    ID3v1Record r;
    std::memcpy(r.title.data(), b, 30);
    std::memcpy(r.artist.data(), b + 30, 30);
    std::memcpy(r.album.data(), b + 60, 30);
    std::memcpy(r.year.data(), b + 90, 4);
    std::memcpy(r.comment.data(), b + 94, 28);
    r.zeroByte = b[122];
    r.track = b[123];
    r.genre = b[124];
    return r;
}

std::array<std::uint8_t, ID3v1Record::kSize> ID3v1Record::encode() const
{
    std::array<std::uint8_t, kSize> b{};
    std::memcpy(b.data(), title.data(), 30);
    std::memcpy(b.data() + 30, artist.data(), 30);
    std::memcpy(b.data() + 60, album.data(), 30);
    std::memcpy(b.data() + 90, year.data(), 4);
    std::memcpy(b.data() + 94, comment.data(), 28);
    b[122] = zeroByte;
    b[123] = track;
    b[124] = genre;
    return b;
}

clsID3v1::clsID3v1() { genreNames(); }

bool clsID3v1::ReadTag()
{
    File file(filename_, O_RDONLY);
    off_t size = file.ok() ? file.size() : -1;
    std::uint8_t bytes[kTagSize];
    if (size >= off_t(kTagSize) && file.readAt(size - off_t(kTagSize), bytes, kTagSize) &&
        std::memcmp(bytes, "TAG", 3) == 0) {
        record_ = ID3v1Record::decode(bytes + 3);
        return true;
    }
    record_ = ID3v1Record::blank();
    return false;
}

bool clsID3v1::HasTag()
{
    File file(filename_, O_RDONLY);
    return file.ok() && file.endsWithTag(file.size());
}

bool clsID3v1::SaveTag()
{
    File file(filename_, O_RDWR);
    if (!file.ok() || !file.writable()) return false;
    off_t size = file.size();
    if (size < off_t(kTagSize)) return false;
    auto record = record_.encode();
    if (file.endsWithTag(size)) {
        if (!file.writeAt(size - off_t(ID3v1Record::kSize), record.data(), record.size())) return false;
    } else {
        std::uint8_t tag[kTagSize] = {'T', 'A', 'G'};
        std::memcpy(tag + 3, record.data(), record.size());
        if (!file.writeAt(size, tag, kTagSize)) {
            // Never leave half a tag behind: back to the audio as it was.
            int kept = ::ftruncate(file.fd(), size);
            (void)kept;
            return false;
        }
    }
    return ::fsync(file.fd()) == 0;
}

bool clsID3v1::RemoveTag()
{
    File file(filename_, O_RDONLY);
    off_t size = file.ok() ? file.size() : -1;
    if (size < 0) return false;
    if (!file.endsWithTag(size)) return true;
    File writing(filename_, O_WRONLY);
    if (!writing.ok() || !writing.writable()) return false;
    return ::ftruncate(writing.fd(), size - off_t(kTagSize)) == 0 && ::fsync(writing.fd()) == 0;
}

std::string clsID3v1::tagTitle() const { return fieldText(record_.title); }
void clsID3v1::tagTitle(std::string_view value) { setField(record_.title, value); }
std::string clsID3v1::tagArtist() const { return fieldText(record_.artist); }
void clsID3v1::tagArtist(std::string_view value) { setField(record_.artist, value); }
std::string clsID3v1::tagAlbum() const { return fieldText(record_.album); }
void clsID3v1::tagAlbum(std::string_view value) { setField(record_.album, value); }
std::string clsID3v1::tagYear() const { return fieldText(record_.year); }
void clsID3v1::tagYear(std::string_view value) { setField(record_.year, value); }

std::string clsID3v1::tagComments() const
{
    std::string raw(record_.comment.data(), record_.comment.size());
    if (record_.zeroByte != 0) {
        raw.push_back(static_cast<char>(record_.zeroByte));
        raw.push_back(static_cast<char>(record_.track));
    }
    return fieldText(raw);
}

void clsID3v1::tagComments(std::string_view value)
{
    std::string latin1 = utf8ToLatin1(value);
    record_.comment.fill(' ');
    std::memcpy(record_.comment.data(), latin1.data(), latin1.size() < 28 ? latin1.size() : 28);
    if (latin1.size() > 28) {
        record_.zeroByte = static_cast<std::uint8_t>(latin1[28]);
        // A 29-character comment ends there; its track byte is not a character of it.
        record_.track = latin1.size() > 29 ? static_cast<std::uint8_t>(latin1[29]) : 0;
    }
}

std::uint8_t clsID3v1::tagTrack() const { return record_.zeroByte != 0 ? 0 : record_.track; }

void clsID3v1::tagTrack(std::uint8_t value)
{
    record_.zeroByte = 0;
    record_.track = value;
}

std::string clsID3v1::ReturnGenre(std::uint8_t n) const
{
    const auto& names = genreNames();
    return n < names.size() ? names[n] : std::string();
}

} // namespace recorder
