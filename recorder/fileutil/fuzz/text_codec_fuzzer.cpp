// libFuzzer target over the UTF-8 validator and the Latin-1 converters:
// whatever the bytes, nothing crashes and the round trips hold.
#include "recorder/fileutil/latin1_text.h"
#include "recorder/fileutil/utf8_code_points.h"
#include "recorder/fileutil/valid_utf8.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string asUtf8 = recorder::latin1ToUtf8(bytes);
    if (!recorder::isValidUtf8(asUtf8)) std::abort();
    if (recorder::utf8ToLatin1(asUtf8) != bytes) std::abort();
    if (!recorder::isValidUtf8(recorder::utf8OrLatin1(bytes))) std::abort();
    if (recorder::isValidUtf8(bytes)) {
        if (recorder::utf8OrLatin1(bytes) != bytes) std::abort();
        // Valid UTF-8 decodes to code points only, never to raw bytes.
        for (char32_t c : recorder::utf8::decode(bytes))
            if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) std::abort();
    }
    return 0;
}
