#pragma once
// A RIFF WAVE file whose header is kept current: after every commit() the
// sizes in the header match the data on disk, so the file plays up to the
// last commit whatever happens later. A 28-byte JUNK chunk is reserved after
// the RIFF header; when the file outgrows the 32-bit sizes it becomes RF64 in
// place (JUNK turns into ds64) instead of carrying a wrapped size.

#include "recorder/components/io/output_file.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace recorder {

class WavWriter {
public:
    // `limit32` is the largest size the 32-bit fields may hold (tests lower it).
    explicit WavWriter(std::uint64_t limit32 = 0xFFFFFFFFull) : limit32_(limit32) {}

    // fmt: the fmt chunk's body (WAVEFORMATEX, with its cbSize extension for
    // non-PCM). A fact chunk is written for non-PCM tags.
    bool create(const std::string& path, std::vector<std::uint8_t> fmt);
    // Appends coded data; `samples` is how many sample frames it holds.
    bool append(std::span<const std::uint8_t> data, std::uint64_t samples);
    // Rewrites the header for what was appended and syncs it to the disk.
    bool commit();
    // Commits, pads an odd data chunk and closes.
    bool finish();

    bool isRf64() const { return rf64_; }
    std::uint64_t dataBytes() const { return dataBytes_; }
    std::uint64_t samples() const { return samples_; }
    const std::string& error() const { return file_.error(); }
    OutputFile& file() { return file_; }

private:
    std::vector<std::uint8_t> header() const;

    OutputFile file_;
    std::uint64_t limit32_;
    std::vector<std::uint8_t> fmt_;
    bool hasFact_ = false;
    bool rf64_ = false;
    std::uint64_t headerBytes_ = 0;
    std::uint64_t dataBytes_ = 0;
    std::uint64_t samples_ = 0;
};

// fmt chunk bodies.
std::vector<std::uint8_t> pcmFmtChunk(int rate, int channels);
// A WAVEFORMATEX with the given tag, sizes and cbSize extension bytes.
std::vector<std::uint8_t> codedFmtChunk(std::uint16_t tag, int rate, int channels, std::uint32_t byteRate,
                                        std::uint16_t blockAlign, std::uint16_t bitsPerSample,
                                        std::span<const std::uint8_t> extension);

} // namespace recorder
