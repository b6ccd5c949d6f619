#include "recorder/components/encoders/encoder.h"

#include "recorder/components/encoders/ffmpeg_muxed_encoder.h"
#include "recorder/components/encoders/ffmpeg_wav_encoder.h"
#include "recorder/components/encoders/g729_encoder.h"
#include "recorder/components/encoders/lame_encoder.h"
#include "recorder/components/encoders/pcm_wav_encoder.h"
#include "recorder/components/encoders/vorbis_encoder.h"
#include "recorder/components/encoders/vox_encoder.h"

namespace recorder {

std::unique_ptr<Encoder> makeEncoder(const OutputFormat& f)
{
    switch (f.codec) {
    case Codec::Pcm: return std::make_unique<PcmWavEncoder>(f);
    case Codec::ImaAdpcm:
    case Codec::Gsm:
    case Codec::Mulaw:
    case Codec::G721:
    case Codec::G723:
    case Codec::G726: return std::make_unique<FfmpegWavEncoder>(f);
    case Codec::G729: return std::make_unique<G729Encoder>(f);
    case Codec::Vox: return std::make_unique<VoxEncoder>(f);
    case Codec::Mp3: return std::make_unique<LameEncoder>(f);
    case Codec::Vorbis: return std::make_unique<VorbisEncoder>(f);
    case Codec::Ac3:
    case Codec::Aac: return std::make_unique<FfmpegMuxedEncoder>(f);
    case Codec::None: break;
    }
    return nullptr;
}

} // namespace recorder
