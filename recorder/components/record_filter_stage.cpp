#include "recorder/components/record_filter_stage.h"

#include "recorder/components/audio_array.h"

#include <cstring>
#include <utility>

namespace recorder {

RecordFilterStage::RecordFilterStage(int sampleRate, int channels, const std::string& chain,
                                     std::vector<std::string> notes)
    : sampleRate_(sampleRate), channels_(channels), notes_(std::move(notes))
{
    if (chain.empty()) return;
    std::string why;
    graph_ = RecordFilterGraph::create(sampleRate, channels, chain, why);
    if (!graph_) giveUp(why);
}

void RecordFilterStage::giveUp(const std::string& why)
{
    graph_.reset();
    notes_.push_back("Filters off, recording unfiltered (" + why + ")");
}

RecordFilterStage::Block RecordFilterStage::filter(std::span<const std::uint8_t> captureBlock)
{
    if (!graph_) return {captureBlock};
    std::string why;
    const auto view = parseAudioArray(captureBlock, why);
    if (!view || view->sampleRate != sampleRate_ || view->channels != channels_ || view->pcm.empty())
        return {captureBlock};

    // A copy: the array's bytes carry no promise of 16-bit alignment.
    in_.resize(view->pcm.size() / sizeof(std::int16_t));
    std::memcpy(in_.data(), view->pcm.data(), in_.size() * sizeof(std::int16_t));
    out_.clear();
    if (!graph_->process(in_, out_, why)) {
        giveUp(why);
        return {captureBlock, true};
    }
    return filtered();
}

RecordFilterStage::Block RecordFilterStage::flush()
{
    if (!graph_) return {};
    out_.clear();
    std::string why;
    if (!graph_->flush(out_, why)) {
        giveUp(why);
        return {{}, true};
    }
    return filtered();
}

RecordFilterStage::Block RecordFilterStage::filtered()
{
    if (out_.empty()) return {};
    const std::size_t pcmBytes = out_.size() * sizeof(std::int16_t);
    block_.resize(kAudioArrayHeaderSize + pcmBytes);
    writeAudioArrayHeader(block_.data(), sampleRate_, channels_);
    std::memcpy(block_.data() + kAudioArrayHeaderSize, out_.data(), pcmBytes);
    return {block_};
}

std::string RecordFilterStage::notes() const
{
    std::string text;
    for (const auto& note : notes_) text += (text.empty() ? "" : "; ") + note;
    return text;
}

} // namespace recorder
