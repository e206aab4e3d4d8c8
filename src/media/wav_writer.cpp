#include "media/wav_writer.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

#include "media/le_bytes.h"

namespace korvid::media {

namespace {

constexpr std::size_t kFlushBytes = std::size_t{1} << 20;
constexpr std::size_t kDs64Bytes = 28;  // riff size, data size, sample count, table length
constexpr std::uint32_t kUnknownSize = 0xFFFFFFFFu;

void PutLE16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutLE32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutLE64(std::vector<std::uint8_t>& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutCode(std::vector<std::uint8_t>& out, const char (&code)[5]) { out.insert(out.end(), code, code + 4); }

}  // namespace

std::vector<std::uint8_t> PcmWaveFormat(std::uint32_t sample_rate, std::uint16_t channels, std::uint16_t bits) {
  if (sample_rate == 0 || channels == 0 || bits == 0 || bits % 8 != 0 || bits > 32)
    throw std::invalid_argument("not a PCM format a WAV file can hold");
  const std::uint32_t block = std::uint32_t{channels} * (bits / 8u);
  if (block > 0xFFFFu) throw std::invalid_argument("too many PCM channels for a WAV file");
  std::vector<std::uint8_t> body;
  PutLE16(body, 1);  // WAVE_FORMAT_PCM
  PutLE16(body, channels);
  PutLE32(body, sample_rate);
  PutLE32(body, sample_rate * block);
  PutLE16(body, static_cast<std::uint16_t>(block));
  PutLE16(body, bits);
  return body;
}

struct WavWriter::State {
  AtomicOutput output;
  BinaryFile& file;
  std::vector<std::uint8_t> format;
  WavWriterOptions options;
  std::uint64_t junk_position = 12;
  std::uint64_t data_size_position = 0;  // of the data chunk's size field
  std::uint64_t data_start = 0;
  std::uint64_t data_bytes = 0;  // written to the file so far
  std::vector<std::uint8_t> pending;
  bool closed = false;
  bool rf64 = false;

  State(const std::filesystem::path& path, std::vector<std::uint8_t> fmt, const WavWriterOptions& opts)
      : output(path, opts.source), file(output.File()), format(std::move(fmt)), options(opts) {}

  void WriteHeader() {
    std::vector<std::uint8_t> head;
    PutCode(head, "RIFF");
    PutLE32(head, 0);
    PutCode(head, "WAVE");
    PutCode(head, "JUNK");
    PutLE32(head, kDs64Bytes);
    head.resize(head.size() + kDs64Bytes, 0);
    PutCode(head, "fmt ");
    PutLE32(head, static_cast<std::uint32_t>(format.size()));
    head.insert(head.end(), format.begin(), format.end());
    if (format.size() % 2 != 0) head.push_back(0);
    PutCode(head, "data");
    data_size_position = head.size();
    PutLE32(head, 0);
    data_start = head.size();
    file.WriteAt(0, head);
  }

  void Flush() {
    if (pending.empty()) return;
    file.WriteAt(data_start + data_bytes, pending);
    data_bytes += pending.size();
    pending.clear();
  }

  void Finish() {
    Flush();
    std::uint64_t end = data_start + data_bytes;
    if (data_bytes % 2 != 0) {
      const std::array<std::uint8_t, 1> pad{0};
      file.WriteAt(end, pad);
      ++end;
    }
    const std::uint64_t riff_size = end - 8;
    rf64 = riff_size > options.rf64_threshold || data_bytes > options.rf64_threshold;
    std::vector<std::uint8_t> field;
    if (!rf64) {
      PutLE32(field, static_cast<std::uint32_t>(riff_size));
      file.WriteAt(4, field);
      field.clear();
      PutLE32(field, static_cast<std::uint32_t>(data_bytes));
      file.WriteAt(data_size_position, field);
    } else {
      const std::uint16_t block = LoadLE16(format.data() + 12);
      PutCode(field, "RF64");
      PutLE32(field, kUnknownSize);
      file.WriteAt(0, field);
      field.clear();
      PutCode(field, "ds64");
      PutLE32(field, kDs64Bytes);
      PutLE64(field, riff_size);
      PutLE64(field, data_bytes);
      PutLE64(field, block == 0 ? 0 : data_bytes / block);
      PutLE32(field, 0);  // no table of other large chunks
      file.WriteAt(junk_position, field);
      field.clear();
      PutLE32(field, kUnknownSize);
      file.WriteAt(data_size_position, field);
    }
    file.Truncate(end);
    output.Commit();
    closed = true;
  }
};

WavWriter::WavWriter(const std::filesystem::path& path, std::vector<std::uint8_t> format,
                     const WavWriterOptions& options) {
  if (format.size() < 16) throw std::invalid_argument("a WAV format block needs at least 16 bytes");
  if (format.size() > 0xFFFFu) throw std::invalid_argument("WAV format block too large");
  state_ = std::make_unique<State>(path, std::move(format), options);
  state_->WriteHeader();
}

WavWriter::WavWriter(WavWriter&&) noexcept = default;
WavWriter& WavWriter::operator=(WavWriter&&) noexcept = default;

// The output's own destructor removes an unfinished file.
WavWriter::~WavWriter() = default;

void WavWriter::Write(std::span<const std::uint8_t> data) {
  if (state_->closed) throw FileError("WAV file already closed: " + state_->output.Target().string());
  state_->pending.insert(state_->pending.end(), data.begin(), data.end());
  if (state_->pending.size() >= kFlushBytes) state_->Flush();
}

void WavWriter::Close() {
  if (!state_->closed) state_->Finish();
}

std::uint64_t WavWriter::DataBytes() const { return state_->data_bytes + state_->pending.size(); }
bool WavWriter::IsRf64() const { return state_->rf64; }

}  // namespace korvid::media
