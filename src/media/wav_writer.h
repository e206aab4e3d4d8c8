#pragma once
// Writes WAV files: a RIFF "WAVE" form with a format chunk and one data
// chunk, the sizes filled in when the file is finished. A file whose sizes
// do not fit the 32-bit RIFF fields is finished as RF64 (EBU Tech 3306):
// room for the 64-bit sizes is kept from the start in a JUNK chunk, which
// then becomes the ds64 chunk, so nothing has to move.
//
// The file is written aside (atomic_output.h) and appears under its name
// only once Close has finished it; a writer dropped without Close leaves
// nothing behind and the name as it was.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "media/atomic_output.h"
#include "media/binary_file.h"

namespace korvid::media {

// The body of a "fmt " chunk for integer PCM (WAVE_FORMAT_PCM). Throws
// std::invalid_argument for a format PCM cannot carry.
std::vector<std::uint8_t> PcmWaveFormat(std::uint32_t sample_rate, std::uint16_t channels, std::uint16_t bits);

struct WavWriterOptions {
  // The file the sound comes from, which the output must never replace.
  std::filesystem::path source{};
  // Files whose RIFF or data size would pass this many bytes become RF64.
  // Only tests lower it, to see an RF64 file without writing 4 GiB.
  std::uint64_t rf64_threshold = 0xFFFFFFFFu;
};

class WavWriter {
 public:
  // `format` is the "fmt " chunk body as a WAVEFORMATEX stores it (at least
  // the 16 bytes of the PCM fields). Throws FileError when the file cannot
  // be created, std::invalid_argument for a format block that is too short.
  WavWriter(const std::filesystem::path& path, std::vector<std::uint8_t> format,
            const WavWriterOptions& options = {});
  WavWriter(WavWriter&&) noexcept;
  WavWriter& operator=(WavWriter&&) noexcept;
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;
  // Without Close, removes the unfinished file.
  ~WavWriter();

  // Appends sound data as the format stores it. Throws FileError.
  void Write(std::span<const std::uint8_t> data);
  // Writes what is buffered and the final sizes, then puts the file under
  // its name. Throws FileError.
  void Close();

  std::uint64_t DataBytes() const;
  // Whether the finished file is RF64 (known once closed).
  bool IsRf64() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace korvid::media
