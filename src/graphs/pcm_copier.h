#pragma once
// The PCM streams of a type-2 source that go along when its frames are
// rewritten: copied chunk by chunk in step with the frames, in the
// proportion they had in the source.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphs/dv_source.h"
#include "media/avi_writer.h"

namespace korvid::graphs {

class PcmCopier {
 public:
  // With `copy`, every PCM stream of a source that is not interleaved;
  // without, none (an output that carries its sound in the frames).
  PcmCopier(const DvSource& source, bool copy);

  // The streams' formats, for the output's header.
  const std::vector<media::AviAudioFormat>& Formats() const { return formats_; }
  // Writes the chunks due once frame k is written.
  void AfterFrame(std::size_t k, media::AviWriter& writer);

 private:
  const DvSource& source_;
  std::vector<std::size_t> streams_;
  std::vector<media::AviAudioFormat> formats_;
  std::vector<std::size_t> next_;
  std::vector<std::uint8_t> chunk_;
};

}  // namespace korvid::graphs
