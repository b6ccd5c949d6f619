#include "recorder/recording/recording_writer.h"

#include "recorder/components/audio_array.h"
#include "recorder/components/record_filter_stage.h"
#include "recorder/recording/recording_file.h"
#include "recorder/components/format_info.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace recorder {

namespace {

// How often the writer looks whether the file is still where it was put.
constexpr auto kWatchInterval = std::chrono::seconds(1);

} // namespace

RecordingWriter::RecordingWriter(std::unique_ptr<RecordingFile> file, std::unique_ptr<RecordFilterStage> filter,
                                 std::string path, std::string rescueFolder, std::int64_t capacityFrames, Events events)
    : file_(std::move(file)), filter_(std::move(filter)), path_(std::move(path)),
      rescueFolder_(std::move(rescueFolder)), events_(std::move(events)), watch_(path_),
      nextWatch_(std::chrono::steady_clock::now() + kWatchInterval), queue_(capacityFrames)
{
    const FormatInfo format = file_->format();
    sampleRate_ = format.SampleRate;
    channels_ = format.Channels;
    measureFile();
    thread_ = std::thread([this] { run(); });
}

RecordingWriter::~RecordingWriter()
{
    finish();
    join();
}

void RecordingWriter::join()
{
    if (thread_.joinable()) thread_.join();
}

void RecordingWriter::run()
{
    for (;;) {
        auto blocks = queue_.takeAll();
        if (blocks.empty()) break;
        std::int64_t frames = 0;
        for (const auto& b : blocks) frames += b.frames;
        inFlight_.store(frames, std::memory_order_relaxed);
        if (!failed_ && write(blocks)) framesWritten_.fetch_add(frames, std::memory_order_relaxed);
        watchFile();
        blocks.clear(); // the arrays are freed here, off the owner thread
        inFlight_.store(0, std::memory_order_relaxed);
    }
    if (filter_ && !failed_) {
        const auto rest = filter_->flush();
        if (!rest.bytes.empty() && !file_->write(rest.bytes)) fail();
    }
    const bool closed = file_->close();
    complete_ = !failed_ && closed;
    if (!complete_ && error_.empty()) error_ = file_->lastError();
    measureFile();
    if (removed_) rescueFile();
    if (events_.finished) events_.finished(complete_, error_);
}

bool RecordingWriter::write(std::vector<BlockQueue::Block>& blocks)
{
    // Runs of capture blocks go in one write each; silence between them in order.
    auto from = blocks.begin();
    while (from != blocks.end()) {
        if (!from->array.get()) {
            if (!writeSilence(from->frames)) return false;
            ++from;
            continue;
        }
        auto to = from;
        while (to != blocks.end() && to->array.get()) ++to;
        if (!writeJoined(from, to)) return false;
        from = to;
    }
    return true;
}

bool RecordingWriter::writeJoined(std::vector<BlockQueue::Block>::iterator begin,
                                  std::vector<BlockQueue::Block>::iterator end)
{
    if (end - begin == 1) return writeBytes(bytesOf(begin->array.get()));
    // One array for all: the first block's header, then every block's frames.
    joined_.clear();
    for (auto b = begin; b != end; ++b) {
        const auto bytes = bytesOf(b->array.get());
        if (bytes.size() < kAudioArrayHeaderSize) continue;
        if (joined_.empty()) joined_.assign(bytes.begin(), bytes.begin() + kAudioArrayHeaderSize);
        joined_.insert(joined_.end(), bytes.begin() + kAudioArrayHeaderSize, bytes.end());
    }
    return joined_.empty() || writeBytes(joined_);
}

bool RecordingWriter::writeSilence(std::int64_t frames)
{
    if (sampleRate_ <= 0 || channels_ <= 0) return true;
    // A second at a time: a long gap needs no more memory than a block.
    const std::vector<std::int16_t> second(static_cast<std::size_t>(sampleRate_) * channels_, 0);
    while (frames > 0) {
        const auto now = std::min<std::int64_t>(frames, sampleRate_);
        const auto pcm = std::span<const std::int16_t>(second).first(static_cast<std::size_t>(now) * channels_);
        com::SafeArray array = makeAudioArray(
            sampleRate_, channels_, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(pcm.data()), pcm.size_bytes()));
        if (!writeBytes(bytesOf(array.get()))) return false;
        frames -= now;
    }
    return true;
}

bool RecordingWriter::writeBytes(std::span<const std::uint8_t> bytes)
{
    bool ok = true;
    if (filter_) {
        const auto filtered = filter_->filter(bytes);
        ok = file_->write(filtered.bytes);
        if (filtered.notesChanged && events_.notesChanged) events_.notesChanged(filter_->notes());
    } else {
        ok = file_->write(bytes);
    }
    measureFile();
    if (!ok) fail();
    return ok;
}

void RecordingWriter::fail() { fail(file_->lastError()); }

void RecordingWriter::fail(const std::string& error)
{
    if (failed_) return;
    failed_ = true;
    error_ = error;
    if (events_.failed) events_.failed(error);
}

void RecordingWriter::measureFile() { bytesOnDisk_.store(watch_.size(), std::memory_order_relaxed); }

void RecordingWriter::watchFile()
{
    const auto now = std::chrono::steady_clock::now();
    if (now < nextWatch_ || removed_) return;
    nextWatch_ = now + kWatchInterval;
    const auto seen = watch_.check();
    if (seen.change == RecordingFileWatch::Change::Moved) {
        if (events_.moved) events_.moved(seen.where);
    } else if (seen.change == RecordingFileWatch::Change::Removed) {
        // Its audio is still readable through the watch, and writes still go
        // into it: the recording is stopped, finished, then saved elsewhere.
        removed_ = true;
        error_ = "its folder " + std::filesystem::path(path_).parent_path().string() + " was removed during the recording";
        if (events_.failed) events_.failed(error_);
    } else if (seen.change == RecordingFileWatch::Change::ReadOnly) {
        fail("its folder " + std::filesystem::path(watch_.path()).parent_path().string() +
             " was made read-only during the recording");
    }
}

void RecordingWriter::rescueFile()
{
    const std::string folder = std::filesystem::path(path_).parent_path().string();
    std::string why;
    const std::string saved = watch_.rescue({folder, rescueFolder_}, why);
    if (saved.empty()) {
        error_ += "; it could not be saved anywhere else (" + why + ")";
        return;
    }
    if (events_.moved) events_.moved(saved);
}

} // namespace recorder
