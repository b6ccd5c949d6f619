#pragma once
// How the tag editor reads a file's tag fields: through the stream player,
// which opens a file for its tags only and hands out each field as text.

#include <cstdint>
#include <string>

namespace recorder {

inline constexpr int kTagID3v1 = 1;
inline constexpr int kTagID3v2 = 2;

class StreamTagReader {
public:
    virtual ~StreamTagReader() = default;
    // A handle for GetStreamTag; 0 when the file cannot be opened.
    virtual std::int32_t GetStreamOpenFile(const std::string& sFilename, bool bVBR) = 0;
    // The field's text, "" when absent. eTag is kTagID3v1 (field names such
    // as "TITLE") or kTagID3v2 (frame ids such as "TIT2").
    virtual std::string GetStreamTag(std::int32_t lHandle, int eTag, const std::string& sTagName) = 0;
    virtual void GetStreamCloseFile(std::int32_t lHandle) = 0;
};

} // namespace recorder
