#include "graphs/dv_source.h"

#include <algorithm>

#include "graphs/conversion_job.h"
#include "media/dv_frame_facts.h"
#include "media/le_bytes.h"

namespace korvid::graphs {

DvSource::DvSource(const std::filesystem::path& path)
    : file_(path, media::BinaryFile::Mode::kRead),
      size_at_open_(file_.Size()),
      param_(file_),
      index_(media::AviFrameIndex::Load(file_, param_)) {
  if (!param_.valid) throw NothingToConvert(path.string() + " is not an AVI file");
  file_.AdviseSequential();
  const auto dv = media::FindDvVideoStream(param_);
  if (!dv) throw NothingToConvert(path.string() + " has no DV stream");
  interleaved_ = param_.streams[*dv].FccType() == media::FourCC("iavs");
  frames_ = index_.FramesOf(*dv);
  for (std::size_t s = 0; s < param_.streams.size(); ++s)
    if (param_.streams[s].FccType() == media::FourCC("auds")) audio_streams_.push_back(s);

  std::vector<std::uint8_t> frame;
  if (!media::FindFirstUsableFrame(file_, index_, *dv, frame))
    throw NothingToConvert(path.string() + " holds no whole DV frame at its start");
  first_ = media::ReadDvFrameFacts(frame);
  system_ = *first_.system;
  wide_ = first_.wide;
}

std::size_t ReadSourceBytes(const media::BinaryFile& source, std::uint64_t size_at_open, std::uint64_t offset,
                            std::span<std::uint8_t> out) {
  const std::size_t got = source.ReadAt(offset, out);
  const std::uint64_t expected =
      offset >= size_at_open ? 0 : std::min<std::uint64_t>(out.size(), size_at_open - offset);
  if (got < expected)
    throw media::FileError(source.Path().string() + " became shorter while it was being read");
  return got;
}

std::size_t DvSource::ReadFrameHead(std::size_t k, std::span<std::uint8_t> out) const {
  if (k >= frames_.size()) return 0;
  return ReadBytes(frames_[k].offset, out.first(std::min<std::size_t>(out.size(), frames_[k].size)));
}

bool DvSource::ReadFrame(std::size_t k, std::vector<std::uint8_t>& out) const {
  const std::size_t bytes = media::FrameBytes(system_);
  out.resize(bytes);
  if (k >= frames_.size() || frames_[k].size != bytes) return false;
  if (ReadBytes(frames_[k].offset, out) != bytes) return false;
  return media::DetectDvSystem(out) == system_;
}

bool DvFrameSequence::Read(std::size_t k, std::vector<std::uint8_t>& out, bool& damaged) {
  damaged = !source_.ReadFrame(k, scratch_);
  if (!damaged) {
    out.swap(scratch_);
    have_good_ = true;
  } else if (have_good_) {
    source_.replaced_.fetch_add(1, std::memory_order_relaxed);
  }
  return have_good_;
}

std::optional<media::DvAudioInfo> FirstAudioInfo(const DvSource& source) {
  if (source.FirstFacts().sound) return source.FirstFacts().sound;
  // A first frame whose sound was lost: the next frames of the look tell.
  std::vector<std::uint8_t> frame;
  const std::size_t last = std::min(source.FrameCount(), media::kFirstFramesLook);
  for (std::size_t k = 0; k < last; ++k) {
    if (!source.ReadFrame(k, frame)) continue;
    if (auto sound = media::ReadDvFrameSound(frame)) return sound;
  }
  return std::nullopt;
}

}  // namespace korvid::graphs
