#pragma once
// MP3 encoder settings: one property for each LAME setting the MP3 dialog
// offers. Setters refuse values outside their range (returning false and
// keeping the previous value); getters return what the encoder will use.
//
// The object is plain data for the GUI thread. AudioFile::SetFormatMP3 takes
// a copy of the settings of the object given to AudioFile::UseMp3Settings, so
// changes apply from the next MP3 selection (every recording start makes one).

namespace recorder {

class MP3Lame {
public:
    // kbit/s, 8..320: the highest bit rate VBR and ABR may use.
    int MaxVbrBitrate() const { return maxVbrBitrate_; }
    bool setMaxVbrBitrate(int kbps);
    // 0 (best) .. 9 (smallest), LAME's -V.
    int VbrQuality() const { return vbrQuality_; }
    bool setVbrQuality(int q);
    // -1 none (constant bit rate), 0 default, 1 old (rh), 2 new, 3 mtrh, 4 ABR.
    int VbrMethod() const { return vbrMethod_; }
    bool setVbrMethod(int method);
    // kbit/s, 4..320: the ABR target.
    int AbrBitrate() const { return abrBitrate_; }
    bool setAbrBitrate(int kbps);
    // 1 stereo, 2 joint stereo, 3 forced joint stereo, 4 dual channel (mono comes from the channel count).
    int ChannelMode() const { return channelMode_; }
    bool setChannelMode(int mode);
    // 0 (fastest) .. 9 (best): LAME's -q runs the other way, so -q = 9 - value.
    int EncoderQuality() const { return encoderQuality_; }
    bool setEncoderQuality(int q);
    // The Xing/Info frame (length, seek table) at the start of the file.
    bool WriteVbrHeader() const { return writeVbrHeader_; }
    void setWriteVbrHeader(bool on) { writeVbrHeader_ = on; }
    bool BitReservoir() const { return bitReservoir_; }
    void setBitReservoir(bool on) { bitReservoir_ = on; }
    bool AllowDiffShortBlocks() const { return allowDiffShortBlocks_; }
    void setAllowDiffShortBlocks(bool on) { allowDiffShortBlocks_ = on; }
    bool ShortBlocks() const { return shortBlocks_; }
    void setShortBlocks(bool on) { shortBlocks_ = on; }
    // 0 none, 1 50/15 µs, 2 CCITT J.17.
    int Emphasis() const { return emphasis_; }
    bool setEmphasis(int e);
    bool StrictIso() const { return strictIso_; }
    void setStrictIso(bool on) { strictIso_ = on; }
    // VBR never goes below the chosen bit rate, even in silence.
    bool EnforceMinBitrate() const { return enforceMinBitrate_; }
    void setEnforceMinBitrate(bool on) { enforceMinBitrate_ = on; }
    // 0 default, 1 ATH only, 2 no ATH, 3 ATH only for short blocks.
    int AthMode() const { return athMode_; }
    bool setAthMode(int mode);
    // Hz 0..48000, or -1: no filter of the user's (LAME's own choice applies).
    int LowpassFrequency() const { return lowpassFrequency_; }
    bool setLowpassFrequency(int hz);
    int HighpassFrequency() const { return highpassFrequency_; }
    bool setHighpassFrequency(int hz);
    // Hz 0..48000; 0 lets LAME choose.
    int LowpassWidth() const { return lowpassWidth_; }
    bool setLowpassWidth(int hz);
    int HighpassWidth() const { return highpassWidth_; }
    bool setHighpassWidth(int hz);
    bool Crc() const { return crc_; }
    void setCrc(bool on) { crc_ = on; }

private:
    int maxVbrBitrate_ = 320;
    int vbrQuality_ = 4;
    int vbrMethod_ = -1;
    int abrBitrate_ = 128;
    int channelMode_ = 2;
    int encoderQuality_ = 6; // LAME's default -q 3
    bool writeVbrHeader_ = true;
    bool bitReservoir_ = true;
    bool allowDiffShortBlocks_ = false;
    bool shortBlocks_ = true;
    int emphasis_ = 0;
    bool strictIso_ = false;
    bool enforceMinBitrate_ = false;
    int athMode_ = 0;
    int lowpassFrequency_ = -1;
    int highpassFrequency_ = -1;
    int lowpassWidth_ = 0;
    int highpassWidth_ = 0;
    bool crc_ = false;
};

} // namespace recorder
