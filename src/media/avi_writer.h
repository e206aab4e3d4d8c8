#pragma once
// Writes AVI files as OpenDML: a first RIFF "AVI " part, then "AVIX" parts
// once a part reaches the size limit, a super index per stream pointing at
// one standard index per stream and part, and a legacy idx1 for the first
// part so that older readers see at least its frames.
//
// Chunks go to the file in call order: the caller interleaves (a video
// frame, then its sound). The file is written aside (atomic_output.h): it
// appears under its name only when Close has finished it, as a consistent
// file holding exactly the chunks whose writes succeeded. A writer dropped
// without Close leaves nothing behind and the name as it was.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "media/atomic_output.h"
#include "media/avi_stream.h"

namespace korvid::media {

struct AviWriterOptions {
  // A new RIFF part starts before the next video frame once the current
  // part holds this many bytes. At most 3 GiB, since a part must stay
  // below 4 GiB with its indexes.
  std::uint64_t riff_part_limit = std::uint64_t{1} << 30;
  // Parts the super indexes have room for; their space is reserved in the
  // header when the file is created.
  std::size_t max_parts = 1024;
  // The file the output is made from, which it must never replace.
  std::filesystem::path source{};
};

class AviWriter {
 public:
  // Throw FileError when the file cannot be created, std::invalid_argument
  // for impossible formats or options.
  static AviWriter CreateType1(const std::filesystem::path& path, const AviVideoFormat& video,
                               const AviWriterOptions& options = {});
  static AviWriter CreateType2(const std::filesystem::path& path, const AviVideoFormat& video,
                               const std::vector<AviAudioFormat>& audio_pairs,
                               const AviWriterOptions& options = {});
  static AviWriter Create(const std::filesystem::path& path, std::vector<AviStream> streams,
                          const AviWriterOptions& options = {});

  AviWriter(AviWriter&& other) noexcept;
  AviWriter& operator=(AviWriter&& other) noexcept;
  AviWriter(const AviWriter&) = delete;
  AviWriter& operator=(const AviWriter&) = delete;
  // Without Close, removes the unfinished file.
  ~AviWriter();

  // One frame to the first video stream (iavs or vids). A DV stream takes
  // only whole frames of its TV system (std::invalid_argument otherwise).
  void WriteVideoFrame(std::span<const std::uint8_t> frame);
  // Sound to the audio stream `audio_stream` (0 = the first auds stream);
  // whole sample frames only.
  void WriteAudio(std::size_t audio_stream, std::span<const std::uint8_t> pcm);
  // Any stream by its position in the file.
  void WriteChunk(std::size_t stream, std::span<const std::uint8_t> data, bool keyframe = true);

  // Writes the indexes and the final headers, then puts the file under its
  // name. Throws FileError; after a failed chunk write the chunks before it
  // stay valid and Close still finishes them.
  void Close();

  // Chunks of the first video stream so far.
  std::uint64_t FramesWritten() const;
  // RIFF parts so far, the first one included.
  std::size_t RiffParts() const;

 private:
  struct State;
  explicit AviWriter(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace korvid::media
