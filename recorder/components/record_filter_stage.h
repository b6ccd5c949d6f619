#pragma once
// The filter stage between the capture control and the file component: a
// capture block (audio-array layout: 40-byte header, then 16-bit frames) goes
// in, the block to write comes out.
//
// It never loses audio. A stage whose graph cannot be built, or whose graph
// fails on a block, hands that block and every later one on unfiltered and
// adds a note saying so. Blocks of another rate or channel count than the
// stage's, or with a damaged header, pass unchanged: the file component
// judges them as it would without filters.

#include "recorder/components/record_filter_graph.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace recorder {

class RecordFilterStage {
public:
    // An empty chain passes blocks through. `notes` are earlier notes about
    // the filters (settings that could not be used), kept at the front.
    RecordFilterStage(int sampleRate, int channels, const std::string& chain, std::vector<std::string> notes = {});

    struct Block {
        std::span<const std::uint8_t> bytes; // valid until the next call
        bool notesChanged = false;
    };
    Block filter(std::span<const std::uint8_t> captureBlock);
    // What the filters still hold at the end of the recording (most often nothing).
    Block flush();

    bool filtering() const { return graph_ != nullptr; }
    // The notes joined for the status bar; empty when there is nothing to say.
    std::string notes() const;

private:
    void giveUp(const std::string& why);
    Block filtered();

    int sampleRate_;
    int channels_;
    std::unique_ptr<RecordFilterGraph> graph_;
    std::vector<std::string> notes_;
    std::vector<std::int16_t> in_, out_;
    std::vector<std::uint8_t> block_;
};

} // namespace recorder
