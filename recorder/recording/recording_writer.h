#pragma once
// The writer thread of a recording: takes the capture blocks a session
// queues, filters and encodes them and writes the file, so that the owner
// thread never waits for the disk. Whatever has queued up while a write was
// under way goes to the file in one write, so a slow disk falls behind by at
// most one write instead of losing audio. Once a second it looks whether
// the file is still where it was put (see RecordingFileWatch): a file whose
// folder was removed is finished and saved into the rescue folder. Events
// are called on the writer thread.

#include "recorder/recording/block_queue.h"
#include "recorder/recording/recording_file_watch.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <thread>

namespace recorder {

class RecordingFile;
class RecordFilterStage;

class RecordingWriter {
public:
    struct Events {
        std::function<void(const std::string& notes)> notesChanged; // the filters' notes
        std::function<void(const std::string& error)> failed;       // once; later blocks are dropped
        std::function<void(const std::string& path)> moved;         // the file is now at path
        std::function<void(bool complete, const std::string& error)> finished; // the file is closed
    };

    // Takes over an open file; the thread starts at once. A file whose folder
    // goes away is saved into its folder made anew, else into rescueFolder.
    RecordingWriter(std::unique_ptr<RecordingFile> file, std::unique_ptr<RecordFilterStage> filter, std::string path,
                    std::string rescueFolder, std::int64_t capacityFrames, Events events);
    // Finishes and joins.
    ~RecordingWriter();
    RecordingWriter(const RecordingWriter&) = delete;
    RecordingWriter& operator=(const RecordingWriter&) = delete;

    // False when the queue is full: the caller counts the frames as lost.
    bool push(com::SafeArray& block, std::int64_t frames) { return queue_.push(block, frames); }
    // Frames of silence, written in order with the blocks.
    void pushSilence(std::int64_t frames) { queue_.pushSilence(frames); }
    // No more blocks: the writer writes what is queued, flushes the filters, closes the file.
    void finish() { queue_.finish(); }
    void join();

    std::int64_t framesWritten() const { return framesWritten_.load(std::memory_order_relaxed); }
    std::uint64_t bytesOnDisk() const { return bytesOnDisk_.load(std::memory_order_relaxed); }
    // Frames queued or being written.
    std::int64_t backlogFrames() const { return queue_.queuedFrames() + inFlight_.load(std::memory_order_relaxed); }
    // After join: whether every block went into a closed file, else why not.
    bool complete() const { return complete_; }
    const std::string& error() const { return error_; }

private:
    void run();
    bool write(std::vector<BlockQueue::Block>& blocks);
    bool writeJoined(std::vector<BlockQueue::Block>::iterator begin, std::vector<BlockQueue::Block>::iterator end);
    bool writeSilence(std::int64_t frames);
    bool writeBytes(std::span<const std::uint8_t> bytes);
    void fail();
    void fail(const std::string& error);
    void measureFile();
    void watchFile();
    void rescueFile();

    std::unique_ptr<RecordingFile> file_;
    std::unique_ptr<RecordFilterStage> filter_;
    const std::string path_;
    const std::string rescueFolder_;
    Events events_;
    RecordingFileWatch watch_;
    std::chrono::steady_clock::time_point nextWatch_;
    bool removed_ = false; // writer thread only
    BlockQueue queue_;
    std::atomic<std::int64_t> framesWritten_{0};
    std::atomic<std::uint64_t> bytesOnDisk_{0};
    std::atomic<std::int64_t> inFlight_{0};
    bool failed_ = false; // writer thread only
    bool complete_ = false;
    std::string error_;
    std::vector<std::uint8_t> joined_;
    int sampleRate_ = 0, channels_ = 0; // of the file's format, for silence
    std::thread thread_;
};

} // namespace recorder
