#pragma once
// A DV AVI file opened for conversion: its DV stream (the iavs stream of
// type 1 or the video stream of type 2), its sound streams, and whole
// frames read one positioned read at a time.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "media/avi_frame_index.h"
#include "media/avi_param.h"
#include "media/binary_file.h"
#include "media/dv_frame.h"
#include "media/dv_frame_facts.h"

namespace korvid::graphs {

// Reads up to `out.size()` bytes at `offset` of a source that held
// `size_at_open` bytes when the job began: fewer only where the file ended
// already then (a damaged file). A file that has shrunk since was changed
// underneath the job: FileError.
std::size_t ReadSourceBytes(const media::BinaryFile& source, std::uint64_t size_at_open, std::uint64_t offset,
                            std::span<std::uint8_t> out);

class DvSource {
 public:
  // Throws NothingToConvert when the file is not an AVI with a DV stream
  // that has a usable first frame (media::ReadFileFirstFacts).
  explicit DvSource(const std::filesystem::path& path);

  media::DvSystem System() const { return system_; }
  bool Interleaved() const { return interleaved_; }  // type 1
  bool Wide() const { return wide_; }                // of the first usable frame
  // The facts of its first usable frame (media::FindFirstUsableFrame).
  const media::DvFrameFacts& FirstFacts() const { return first_; }
  std::size_t FrameCount() const { return frames_.size(); }
  // The auds streams, in file order.
  const std::vector<std::size_t>& AudioStreams() const { return audio_streams_; }

  // Reads frame k into `out` (resized to one whole frame). A chunk that
  // is not one whole frame of the file's system gives false; `out` then
  // holds nothing usable. A frame the file no longer holds (it shrank) or
  // that cannot be read throws FileError.
  bool ReadFrame(std::size_t k, std::vector<std::uint8_t>& out) const;

  // Damaged frames the frame before them stood in for, over every
  // DvFrameSequence of this source.
  std::uint64_t FramesReplaced() const { return replaced_.load(std::memory_order_relaxed); }

  // The first bytes of frame k, as many as `out` holds or the chunk has;
  // 0 for a frame the file does not have.
  std::size_t ReadFrameHead(std::size_t k, std::span<std::uint8_t> out) const;

  const media::BinaryFile& File() const { return file_; }
  // ReadSourceBytes on this source.
  std::size_t ReadBytes(std::uint64_t offset, std::span<std::uint8_t> out) const {
    return ReadSourceBytes(file_, size_at_open_, offset, out);
  }
  const media::AviFrameIndex& Index() const { return index_; }
  const media::TFriendlyAviParam& Param() const { return param_; }

 private:
  media::BinaryFile file_;
  std::uint64_t size_at_open_ = 0;
  media::TFriendlyAviParam param_;
  media::AviFrameIndex index_;
  std::span<const media::FrameLocation> frames_;
  media::DvSystem system_ = media::DvSystem::k625_50;
  bool interleaved_ = false;
  bool wide_ = false;
  media::DvFrameFacts first_;
  std::vector<std::size_t> audio_streams_;
  mutable std::atomic<std::uint64_t> replaced_{0};
  friend class DvFrameSequence;
};

// The sound of the source's first usable frame, else of the first frame
// within media::kFirstFramesLook whose sound can be read; nothing for a
// silent source.
std::optional<media::DvAudioInfo> FirstAudioInfo(const DvSource& source);

// Reads the frames of a DV source in order, keeping the frame before in
// place of any damaged chunk so that the picture keeps its timing. Frames
// are swapped into `out`, not copied: a copy job then costs one read.
class DvFrameSequence {
 public:
  explicit DvFrameSequence(const DvSource& source) : source_(source) {}
  // Frame k (called with k = 0, 1, 2, ...); false only when no whole
  // frame has been seen yet. `damaged` tells whether a stand-in was used:
  // `out` then holds what it held after the call before.
  bool Read(std::size_t k, std::vector<std::uint8_t>& out, bool& damaged);

 private:
  const DvSource& source_;
  std::vector<std::uint8_t> scratch_;
  bool have_good_ = false;
};

}  // namespace korvid::graphs
