#include "graphs/merge_job.h"

#include <algorithm>
#include <span>
#include <system_error>
#include <utility>

#include "graphs/frame_log.h"
#include "graphs/frame_time.h"
#include "media/atomic_output.h"
#include "media/avi_writer.h"
#include "media/block_merge.h"
#include "media/dv_frame_sound.h"
#include "media/frame_fingerprint.h"
#include "resources/printable_text.h"

namespace korvid::graphs {
namespace {

using resources::Printable;

constexpr std::size_t kCsvChunkBytes = 1 << 16;

std::filesystem::path Beside(const std::filesystem::path& output, const std::string& suffix) {
  std::filesystem::path path = output;
  path.replace_filename(output.stem().string() + suffix);
  return path;
}

std::string SystemName(media::DvSystem system) { return system == media::DvSystem::k625_50 ? "PAL" : "NTSC"; }

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

std::span<const std::uint8_t> AsBytes(std::span<const std::int16_t> pcm) {
  return {reinterpret_cast<const std::uint8_t*>(pcm.data()), pcm.size_bytes()};
}

// Text written to a file aside, in chunks.
class TextOutput {
 public:
  TextOutput(const std::filesystem::path& path, const std::filesystem::path& source) : output_(path, source) {}
  void Add(const std::string& text) {
    pending_ += text;
    if (pending_.size() >= kCsvChunkBytes) Flush();
  }
  void Commit() {
    Flush();
    output_.Commit();
  }

 private:
  void Flush() {
    output_.File().WriteAt(written_, std::span(reinterpret_cast<const std::uint8_t*>(pending_.data()), pending_.size()));
    written_ += pending_.size();
    pending_.clear();
  }
  media::AtomicOutput output_;
  std::string pending_;
  std::uint64_t written_ = 0;
};

std::string CsvHeader(std::size_t passes) {
  std::string line = "frame,position,timecode,recorded";
  for (std::size_t p = 1; p <= passes; ++p) {
    const std::string name = "capture" + std::to_string(p);
    line += "," + name + "_frame," + name + "_video_blocks_damaged," + name + "_audio_blocks_damaged";
  }
  for (std::size_t p = 1; p <= passes; ++p) line += ",capture" + std::to_string(p) + "_blocks_taken";
  return line + ",video_blocks_left,audio_blocks_left\r\n";
}

}  // namespace

std::filesystem::path MergeCsvPath(const std::filesystem::path& output) { return Beside(output, "_merge.csv"); }
std::filesystem::path MergeRecapturePath(const std::filesystem::path& output) {
  return Beside(output, "_recapture.txt");
}

MergeJob::MergeJob(std::vector<std::filesystem::path> passes, MergeOptions options)
    : paths_(std::move(passes)), options_(std::move(options)) {
  if (paths_.size() < 2) throw MergeRefused("a merge needs at least two captures of the tape");
  if (options_.type && *options_.type != 1 && *options_.type != 2)
    throw MergeRefused("the DV type of a merge is 1 or 2, not " + std::to_string(*options_.type));
  for (const auto& path : paths_) sources_.push_back(std::make_unique<DvSource>(path));
  system_ = sources_[0]->System();
  for (std::size_t p = 1; p < sources_.size(); ++p) {
    if (sources_[p]->System() == system_) continue;
    throw MergeRefused(Printable(paths_[p].string()) + " is " + SystemName(sources_[p]->System()) + " and " +
                       Printable(paths_[0].string()) + " is " + SystemName(system_) +
                       ": captures of one tape are of one TV system");
  }
  if (options_.planOnly) return;
  for (const auto& out : {options_.output, MergeCsvPath(options_.output), MergeRecapturePath(options_.output)}) {
    for (const auto& pass : paths_)
      if (SameFile(out, pass))
        throw MergeRefused(Printable(out.string()) + " is one of the captures: the merge never replaces them");
  }
}

std::int64_t MergeJob::Duration() const {
  std::int64_t total = 0;
  std::int64_t longest = 0;
  for (const auto& source : sources_) {
    total += static_cast<std::int64_t>(source->FrameCount());
    longest = std::max(longest, static_cast<std::int64_t>(source->FrameCount()));
  }
  return total + longest;
}

void MergeJob::Align(JobProgress& progress) {
  std::vector<std::uint8_t> frame;
  for (std::size_t p = 0; p < sources_.size(); ++p) {
    const DvSource& source = *sources_[p];
    aligner_.BeginPass();
    for (std::size_t k = 0; k < source.FrameCount(); ++k) {
      if (progress.StopRequested()) return;
      if (source.ReadFrame(k, frame)) {
        aligner_.AddFrame(static_cast<std::int32_t>(k), media::FingerprintFrame(frame));
      } else {
        aligner_.AddUnreadable();
      }
      progress.SetPosition(++done_);
    }
    const bool nothingShared = p > 0 && aligner_.Matched() == 0;
    if (nothingShared && !options_.force)
      throw MergeRefused(Printable(paths_[p].string()) +
                         " has no frame in common with the captures before it; --force merges without it");
    aligner_.EndPass(!nothingShared);
  }
  plan_ = PlanMerge(paths_, system_, aligner_);
}

void MergeJob::MergeFrames(JobProgress& progress) {
  const std::vector<media::TimelineFrame>& timeline = aligner_.Timeline();
  const DvSource& first = *sources_[0];
  const bool type2 = options_.type ? *options_.type == 2 : !first.Interleaved();
  const std::optional<media::DvAudioInfo> sound = FirstAudioInfo(first);
  const std::size_t pairs = type2 && sound ? static_cast<std::size_t>(sound->pairs) : 0;
  const int rate = sound ? sound->sample_rate : 0;

  std::optional<media::AviWriter> writer;
  std::optional<TextOutput> csv;
  if (!options_.planOnly) {
    const media::AviVideoFormat format{system_, first.Wide()};
    const media::AviWriterOptions writing{.source = paths_[0]};
    if (type2) {
      const std::vector<media::AviAudioFormat> formats(pairs, {static_cast<std::uint32_t>(rate), 2, 16});
      writer.emplace(media::AviWriter::CreateType2(options_.output, format, formats, writing));
    } else {
      writer.emplace(media::AviWriter::CreateType1(options_.output, format, writing));
    }
    csv.emplace(MergeCsvPath(options_.output), paths_[0]);
    csv->Add(CsvHeader(sources_.size()));
  }

  media::BlockMerger merger(sound);
  media::DvFrameSound frameSound(system_, rate);
  std::vector<std::int16_t> silence;
  std::vector<std::vector<std::uint8_t>> copies(sources_.size());
  std::vector<std::span<const std::uint8_t>> read;
  std::vector<std::size_t> whose;
  std::vector<std::uint8_t> merged;
  const media::FrameRate frameRate = media::DvFrameRate(system_);
  left_.clear();
  left_.reserve(timeline.size());

  for (std::size_t i = 0; i < timeline.size(); ++i) {
    if (progress.StopRequested()) return;
    read.clear();
    whose.clear();
    for (std::size_t p = 0; p < sources_.size(); ++p) {
      const std::int32_t k = timeline[i].copy[p];
      if (k == media::kNoFrame) continue;
      if (!sources_[p]->ReadFrame(static_cast<std::size_t>(k), copies[p]))
        throw media::FileError(Printable(paths_[p].string()) + " changed while it was merged");
      read.push_back(copies[p]);
      whose.push_back(p);
    }
    const media::BlockMergeOutcome outcome = merger.Merge(read, merged);
    left_.push_back({static_cast<std::uint32_t>(outcome.videoLeft), static_cast<std::uint32_t>(outcome.audioLeft)});
    if (!writer) {
      progress.SetPosition(++done_);
      continue;
    }
    writer->WriteVideoFrame(merged);
    if (pairs > 0) {
      frameSound.Read(merged, i);
      for (std::size_t pair = 0; pair < pairs; ++pair) {
        std::span<const std::int16_t> pcm = frameSound.Pair(pair);
        if (frameSound.Rate() != rate) {
          // A stretch recorded at another rate: its length in silence, so
          // that the sound after it stays with its picture.
          silence.assign(pcm.size() / 2 * static_cast<std::size_t>(rate) /
                             static_cast<std::size_t>(std::max(frameSound.Rate(), 1)) * 2,
                         0);
          pcm = silence;
        }
        if (!pcm.empty()) writer->WriteAudio(pair, AsBytes(pcm));
      }
    }
    std::string row = std::to_string(i) + "," + FramePositionText(static_cast<std::int64_t>(i), frameRate) + "," +
                      TimecodeField(timeline[i].print.timecode) + "," + RecordedField(timeline[i].print.datecode);
    std::vector<std::size_t> taken(sources_.size(), 0);
    for (std::size_t p = 0, c = 0; p < sources_.size(); ++p) {
      if (c < whose.size() && whose[c] == p) {
        const media::CopyDamage& damage = outcome.damage[c];
        row += "," + std::to_string(timeline[i].copy[p]) + "," + std::to_string(damage.video) + "," +
               (damage.audio ? std::to_string(*damage.audio) : std::string());
        taken[p] = outcome.taken[c];
        ++c;
      } else {
        row += ",,,";
      }
    }
    for (const std::size_t t : taken) row += "," + std::to_string(t);
    row += "," + std::to_string(outcome.videoLeft) + "," + std::to_string(outcome.audioLeft) + "\r\n";
    csv->Add(row);
    progress.SetPosition(++done_);
  }
  if (!writer) {
    completed_ = true;
    return;
  }
  TextOutput recapture(MergeRecapturePath(options_.output), paths_[0]);
  recapture.Add(RecaptureText(plan_, timeline, left_));
  writer->Close();
  csv->Commit();
  recapture.Commit();
  completed_ = true;
}

void MergeJob::Run(JobProgress& progress) {
  if (!aligned_) {
    Align(progress);
    if (progress.StopRequested()) return;
    aligned_ = true;
  }
  if (stage_ == MergeStage::kMerge && !completed_) MergeFrames(progress);
}

std::string MergeJob::PlanReport() const {
  const bool merged = left_.size() == aligner_.Timeline().size() && plan_.timelineFrames == left_.size();
  return PlanText(plan_, merged ? &left_ : nullptr);
}

}  // namespace korvid::graphs
