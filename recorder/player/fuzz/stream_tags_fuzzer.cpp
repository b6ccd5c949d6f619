// libFuzzer target over the stream player's tag fields: frame bodies of every
// kind the editor asks for, ID3v1 records, and whole files read through the
// tag library. Every field must come out as valid UTF-8.

#include "recorder/player/stream_tags.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <unistd.h>

namespace {

bool validUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
        i += n;
    }
    return true;
}

void check(const std::string& text)
{
    if (!validUtf8(text)) std::abort();
}

const char* const kIds[] = {"COMM", "WXXX", "WCOM", "TIT2", "TCON", "TRCK", "TXXX", "PRIV", "TYER", "TENC"};
const char* const kV1Names[] = {"TITLE", "ARTIST", "ALBUM", "YEAR", "COMMENT", "TRACK", "GENRE"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    recorder::TagFrame frame;
    frame.id = kIds[data[0] % (sizeof kIds / sizeof *kIds)];
    frame.body.assign(data + 1, data + size);
    check(recorder::id3v2FieldText(frame));

    if (size >= recorder::ID3v1Record::kSize) {
        const auto record = recorder::ID3v1Record::decode(data);
        for (const char* name : kV1Names) check(recorder::id3v1FieldText(record, name).value_or(""));
    }

    // The input after the selector byte as a file, as the editor lists it.
    static const std::string path = "/tmp/velmor-stream-tags-fuzz-" + std::to_string(::getpid()) + ".mp3";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data + 1, 1, size - 1, f);
        std::fclose(f);
        if (const auto tags = recorder::StreamTags::read(path)) {
            for (const char* id : kIds) check(tags->field(recorder::kTagFieldId3v2, id));
            for (const char* name : kV1Names) check(tags->field(recorder::kTagFieldId3v1, name));
        }
    }
    return 0;
}
