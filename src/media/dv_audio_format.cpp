#include "media/dv_audio_format.h"

namespace korvid::media {

int SampleRateHz(DvAudioRate rate) {
  switch (rate) {
    case DvAudioRate::k48000: return 48000;
    case DvAudioRate::k44100: return 44100;
    case DvAudioRate::k32000: return 32000;
  }
  return 0;
}

DvAudioRate RateOf(DvAudioMode mode) {
  switch (mode) {
    case DvAudioMode::k48k16Bit2Ch: return DvAudioRate::k48000;
    case DvAudioMode::k44k16Bit2Ch: return DvAudioRate::k44100;
    case DvAudioMode::k32k16Bit2Ch:
    case DvAudioMode::k32k12Bit4Ch: return DvAudioRate::k32000;
  }
  return DvAudioRate::k48000;
}

int BitsOf(DvAudioMode mode) { return mode == DvAudioMode::k32k12Bit4Ch ? 12 : 16; }

int PairsOf(DvAudioMode mode) { return mode == DvAudioMode::k32k12Bit4Ch ? 2 : 1; }

DvSampleLimits SampleLimits(DvSystem system, DvAudioRate rate) {
  const bool pal = system == DvSystem::k625_50;
  switch (rate) {
    case DvAudioRate::k48000: return pal ? DvSampleLimits{1896, 1944} : DvSampleLimits{1580, 1620};
    case DvAudioRate::k44100: return pal ? DvSampleLimits{1742, 1786} : DvSampleLimits{1452, 1489};
    case DvAudioRate::k32000: return pal ? DvSampleLimits{1264, 1296} : DvSampleLimits{1053, 1080};
  }
  return {};
}

}  // namespace korvid::media
