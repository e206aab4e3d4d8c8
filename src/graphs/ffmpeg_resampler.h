#pragma once
// The sound resampler of the codec jobs, on libswresample.

#include <memory>

#include "graphs/sound_resampler.h"

namespace korvid::graphs {

// Throws MediaError when libswresample refuses the rates.
std::unique_ptr<SoundResampler> MakeFfmpegResampler(int inRate, int outRate, int channels);

}  // namespace korvid::graphs
