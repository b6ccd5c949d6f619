#include "recorder/components/mp3_lame.h"

namespace recorder {

namespace {

bool setIn(int& field, int value, int low, int high)
{
    if (value < low || value > high) return false;
    field = value;
    return true;
}

} // namespace

bool MP3Lame::setMaxVbrBitrate(int kbps) { return setIn(maxVbrBitrate_, kbps, 8, 320); }
bool MP3Lame::setVbrQuality(int q) { return setIn(vbrQuality_, q, 0, 9); }
bool MP3Lame::setVbrMethod(int method) { return setIn(vbrMethod_, method, -1, 4); }
bool MP3Lame::setAbrBitrate(int kbps) { return setIn(abrBitrate_, kbps, 4, 320); }
bool MP3Lame::setChannelMode(int mode) { return setIn(channelMode_, mode, 1, 4); }
bool MP3Lame::setEncoderQuality(int q) { return setIn(encoderQuality_, q, 0, 9); }
bool MP3Lame::setEmphasis(int e) { return setIn(emphasis_, e, 0, 2); }
bool MP3Lame::setAthMode(int mode) { return setIn(athMode_, mode, 0, 3); }
bool MP3Lame::setLowpassFrequency(int hz) { return setIn(lowpassFrequency_, hz, -1, 48000); }
bool MP3Lame::setHighpassFrequency(int hz) { return setIn(highpassFrequency_, hz, -1, 48000); }
bool MP3Lame::setLowpassWidth(int hz) { return setIn(lowpassWidth_, hz, 0, 48000); }
bool MP3Lame::setHighpassWidth(int hz) { return setIn(highpassWidth_, hz, 0, 48000); }

} // namespace recorder
