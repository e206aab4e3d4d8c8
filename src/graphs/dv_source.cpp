#include "graphs/dv_source.h"

#include <algorithm>

#include "graphs/conversion_job.h"
#include "media/dv_packs.h"
#include "media/le_bytes.h"

namespace korvid::graphs {

DvSource::DvSource(const std::filesystem::path& path)
    : file_(path, media::BinaryFile::Mode::kRead), param_(file_), index_(media::AviFrameIndex::Load(file_, param_)) {
  if (!param_.valid) throw ConversionError(path.string() + " is not an AVI file");
  const auto dv = media::FindDvVideoStream(param_);
  if (!dv) throw ConversionError(path.string() + " has no DV stream");
  interleaved_ = param_.streams[*dv].FccType() == media::FourCC("iavs");
  frames_ = index_.FramesOf(*dv);
  for (std::size_t s = 0; s < param_.streams.size(); ++s)
    if (param_.streams[s].FccType() == media::FourCC("auds")) audio_streams_.push_back(s);

  // The system comes from the first frame that has a header block.
  std::vector<std::uint8_t> head(media::kMinPackFrameBytes);
  for (std::size_t k = 0; k < frames_.size(); ++k) {
    const std::size_t got = index_.ReadFrameStart(file_, *dv, k, head);
    if (got < media::kMinPackFrameBytes) continue;
    const auto system = media::DetectDvSystem(std::span(head).first(got));
    if (!system || frames_[k].size != media::FrameBytes(*system)) continue;
    system_ = *system;
    wide_ = media::IsWideScreen(head);
    return;
  }
  throw ConversionError(path.string() + " holds no whole DV frame");
}

bool DvSource::ReadFrame(std::size_t k, std::vector<std::uint8_t>& out) const {
  const std::size_t bytes = media::FrameBytes(system_);
  out.resize(bytes);
  if (k >= frames_.size() || frames_[k].size != bytes) return false;
  if (!file_.ReadExactAt(frames_[k].offset, out)) return false;
  return media::DetectDvSystem(out) == system_;
}

bool DvFrameSequence::Read(std::size_t k, std::vector<std::uint8_t>& out, bool& damaged) {
  damaged = !source_.ReadFrame(k, scratch_);
  if (!damaged) {
    out.swap(scratch_);
    have_good_ = true;
  }
  return have_good_;
}

}  // namespace korvid::graphs
