#pragma once
// clsFMOD: the stream player the tag editor previews files with and reads
// their tag fields through, and which the player window drives.
//
// One stream plays at a time (StreamPlay ends the one before). Files opened
// with GetStreamOpenFile are only read for their tags: each gets a handle
// from a table this object owns, valid until GetStreamCloseFile or the
// object's end; handle 0 means the file cannot be opened. Tag fields are read
// whether or not sound output works, and never disturb the playing stream.
// Field rules: stream_tags.h.
//
// Init must succeed before StreamPlay. Init, StreamPlay, StreamPausePlay and
// StreamUnload report failures through the PlayerMessages given at
// construction (title "FMOD Error"; texts from fmod_errors.h); nothing else
// shows a message. LastError() keeps the code of the last failure.
//
// Lengths and positions are in milliseconds. Playback runs on the creating
// thread's COM apartment (stream_player.h): create and use the object on the
// GUI thread. Not thread-safe.

#include "recorder/player/player_messages.h"
#include "recorder/player/stream_player.h"
#include "recorder/player/stream_tags.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace recorder {

class clsFMOD {
public:
    // messages may be null: nothing is shown then. It must outlive this object.
    explicit clsFMOD(PlayerMessages* messages);
    ~clsFMOD();
    clsFMOD(const clsFMOD&) = delete;
    clsFMOD& operator=(const clsFMOD&) = delete;

    // Checks that sound output works at lMixrate Hz (4000..65535) on a thread
    // with a COM apartment. lMaxChannels (1..1024) is only checked: one
    // stream plays at a time. True on success; may be called again.
    bool Init(std::int32_t lMixrate, std::int32_t lMaxChannels);

    // Ends any stream, then plays sFilename from its start at volume bVolume
    // (0..255). A file that cannot be decoded gives the warning
    // "Could not recognize & play "<file>"." and no stream. bVBR is accepted
    // for callers; the decoder seeks exactly in every file.
    bool StreamPlay(const std::string& sFilename, bool bVBR, std::uint8_t bVolume);
    // Pauses or resumes the stream; false with no stream.
    bool StreamPausePlay();
    // Stops and closes the stream; true.
    bool StreamUnload();

    bool StreamIsLoaded() const { return player_.isLoaded(); }
    bool StreamIsPaused() const { return player_.isPaused(); }
    // 0 with no stream.
    std::int32_t StreamSongLen() const;
    // 0 with no stream. Writing moves the stream (clamped to its length);
    // with no stream it does nothing.
    std::int32_t StreamSongPos() const;
    void StreamSongPos(std::int32_t lPos);

    // 0..255; kept across streams.
    std::uint8_t StreamVolume() const { return volume_; }
    void StreamVolume(std::uint8_t bVolume);
    // -100 (left) .. 100 (right); false outside that range.
    std::int32_t StreamBalance() const { return player_.balance(); }
    bool StreamBalance(std::int32_t balance) { return player_.setBalance(balance); }

    // Opens a file for tag reading only; 0 when it cannot be opened. bVBR is accepted for callers.
    std::int32_t GetStreamOpenFile(const std::string& sFilename, bool bVBR);
    // eTag kTagFieldId3v2 for an ID3v2 frame id, any other for an ID3v1 field name.
    // "" for handle 0, an unknown handle, or a field the file does not have.
    std::string GetStreamTag(std::int32_t lHandle, std::int32_t eTag, const std::string& sTagName) const;
    void GetStreamCloseFile(std::int32_t lHandle);

    int LastError() const { return lastError_; }

    // Called on the creating thread when the stream has played to its end.
    std::function<void()> onStreamEnd;

private:
    bool fail(int code);

    PlayerMessages* messages_;
    StreamPlayer player_;
    bool initialised_ = false;
    int lastError_ = 0;
    std::uint8_t volume_ = 255;
    std::map<std::int32_t, StreamTags> tagFiles_;
    std::int32_t lastHandle_ = 0;
};

} // namespace recorder
