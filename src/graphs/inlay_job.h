#pragma once
// Burns each frame's recording date and time into its picture: every DV
// frame is decoded, the datecode text source gives its text, the overlay
// draws it, and the picture is encoded again as DV of the same TV system.
// The header rewriter then carries the timecode, recording date and time
// and 16:9 flag over from the untouched source frame, and the frame keeps
// the source's sound blocks as they were. The output has the DV type asked
// for; a type-2 output takes the source's PCM streams as they are.
//
// Decoding and drawing run on the calling thread, encoding and writing on
// a second one, with a few pictures queued between them.

#include <cstdint>
#include <filesystem>

#include "graphs/calenox.h"
#include "graphs/conversion_job.h"
#include "graphs/dixmark.h"
#include "graphs/dv_source.h"
#include "graphs/layrin.h"

namespace korvid::graphs {

class InlayJob : public ConversionJob {
 public:
  // `dv_type` 1 writes one interleaved stream, else a vids stream with the
  // source's PCM. Throws ConversionError when the source is not DV or is
  // not of `system` (the inlay changes no picture size).
  InlayJob(const std::filesystem::path& source, std::filesystem::path output, int dv_type, media::DvSystem system,
           Calenox calenox, Layrin layrin, Dixmark dixmark);

  std::int64_t Duration() const override;
  void Run(JobProgress& progress) override;
  const std::filesystem::path& Output() const override { return output_; }
  bool OutputCreated() const override { return created_; }

 private:
  DvSource source_;
  std::filesystem::path output_;
  bool type1_;
  Calenox calenox_;
  Layrin layrin_;
  Dixmark dixmark_;
  bool created_ = false;
};

// Copies every block but the picture's (header, subcode, VAUX and sound) of
// `source` into `output`, two whole frames of one TV system, so that the
// inlay changes the picture only; false, changing nothing, otherwise.
bool CopyNonPictureBlocks(std::span<std::uint8_t> output, std::span<const std::uint8_t> source, media::DvSystem system);

}  // namespace korvid::graphs
