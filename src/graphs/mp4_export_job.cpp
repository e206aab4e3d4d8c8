#include "graphs/mp4_export_job.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <utility>
#include <vector>

#include "graphs/av_check.h"
#include "graphs/bounded_queue.h"
#include "graphs/datecode_cues.h"
#include "graphs/dv_picture_decoder.h"
#include "graphs/dv_type_jobs.h"
#include "graphs/scene_detector.h"
#include "graphs/scene_scan.h"
#include "graphs/sound_feed.h"
#include "graphs/square_pixel_filter.h"
#include "media/atomic_output.h"
#include "media/first_frame.h"
#include "media/dv_audio_sample_count.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace korvid::graphs {

namespace {

constexpr int kSoundRate = 48000;
constexpr std::int64_t kSoundBitRate = 192000;
constexpr std::size_t kQueuedFrames = 4;

// One source frame's worth of work for the encoding thread: the pictures
// the filter gave for it (two fields' worth, fewer at the start, more at
// the end) and its sound.
struct FilteredFrame {
  std::optional<std::size_t> index;  // nothing for the filter's last pictures
  std::vector<FramePtr> pictures;
  std::vector<std::int16_t> sound;
};

// The subtitle encoder takes its default style from an ASS header.
constexpr const char* kSubtitleHeader =
    "[Script Info]\r\nScriptType: v4.00+\r\nPlayResX: 384\r\nPlayResY: 288\r\n\r\n"
    "[V4+ Styles]\r\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
    "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, "
    "Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\r\n"
    "Style: Default,Arial,16,&Hffffff,&Hffffff,&H0,&H0,0,0,0,0,100,100,0,0,1,1,0,2,10,10,10,0\r\n\r\n"
    "[Events]\r\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n";

// Options handed to FFmpeg, which takes those it knows out of the list.
struct Options {
  Options() = default;
  Options(const Options&) = delete;
  Options& operator=(const Options&) = delete;
  ~Options() { av_dict_free(&list); }
  AVDictionary* list = nullptr;
};

// What the packs say about the whole file: its datecode seconds and scenes.
struct RecordingMarks {
  std::vector<DatecodeCue> cues;
  std::vector<DetectedScene> scenes;
};

RecordingMarks ReadMarks(const std::filesystem::path& path) {
  try {
    SceneFrameReader reader(path);
    RecordingMarks marks;
    if (reader.FrameCount() == 0) return marks;
    // The scenes start from what the file is listed with, as the scene list
    // and the subtitles do.
    std::optional<media::FirstFramePacks> first;
    try {
      first = media::ReadFirstFramePacks(path);
    } catch (const media::FileError&) {
      // an unreadable start begins the scan without a date
    }
    SceneDetector detector;
    detector.Begin(first ? RecordingValue(first->datecode) : std::nullopt,
                   first ? SceneTimecodeText(first->timecode) : std::string());
    DatecodeCueBuilder cues;
    const std::atomic<bool> never{false};
    SceneScanProgress progress;
    RunSceneScan(
        reader, detector, [&marks](const DetectedScene& scene) { marks.scenes.push_back(scene); }, never, progress,
        [&cues](const ScannedFrame& frame) {
          if (frame.read) cues.Add(static_cast<std::int64_t>(frame.frame), frame.packs.datecode);
        });
    marks.scenes.push_back(detector.Finish(static_cast<std::int32_t>(reader.FrameCount() - 1)));
    marks.cues = cues.Finish();
    return marks;
  } catch (const SceneScanError& e) {
    throw ConversionError(e.what());
  }
}

std::string DateText(const std::optional<settings::DateTimeValue>& value, const Mp4ExportOptions& options) {
  return value ? settings::FormatDateTime(options.dateFormat, *value, options.locale) : std::string();
}

CodecContextPtr NewEncoder(const AVCodec* codec) {
  if (codec == nullptr) throw ConversionError("this FFmpeg has no encoder for the MP4 export");
  CodecContextPtr context(avcodec_alloc_context3(codec));
  if (!context) throw ConversionError("out of memory for an encoder");
  return context;
}

// One encoder and the stream its packets go to.
struct Track {
  CodecContextPtr encoder;
  AVStream* stream = nullptr;
};

Track AddTrack(AVFormatContext& file, CodecContextPtr encoder, AVDictionary** options) {
  if ((file.oformat->flags & AVFMT_GLOBALHEADER) != 0) encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  CheckAv(avcodec_open2(encoder.get(), encoder->codec, options), "open an encoder");
  Track track{std::move(encoder), avformat_new_stream(&file, nullptr)};
  if (track.stream == nullptr) throw ConversionError("out of memory for a stream");
  CheckAv(avcodec_parameters_from_context(track.stream->codecpar, track.encoder.get()), "describe a stream");
  track.stream->time_base = track.encoder->time_base;
  return track;
}

// Writes every packet the encoder has ready.
void WritePackets(Track& track, AVFormatContext& file, AVPacket& packet, std::int64_t missing_duration) {
  for (;;) {
    const int got = avcodec_receive_packet(track.encoder.get(), &packet);
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return;
    CheckAv(got, "encode");
    if (packet.duration == 0) packet.duration = missing_duration;
    av_packet_rescale_ts(&packet, track.encoder->time_base, track.stream->time_base);
    packet.stream_index = track.stream->index;
    CheckAv(av_interleaved_write_frame(&file, &packet), "write the MP4 file");
  }
}

CodecContextPtr PictureEncoder(media::DvSystem system, const SquarePixelFilter& filter, int quality,
                                      AVDictionary** options) {
  CodecContextPtr encoder = NewEncoder(avcodec_find_encoder_by_name("libx264"));
  const bool pal = system == media::DvSystem::k625_50;
  encoder->width = filter.Size().width;
  encoder->height = filter.Size().height;
  encoder->pix_fmt = AV_PIX_FMT_YUV420P;
  encoder->time_base = filter.TimeBase();
  encoder->framerate = filter.FrameRate();
  encoder->sample_aspect_ratio = {1, 1};
  encoder->color_range = AVCOL_RANGE_MPEG;
  encoder->colorspace = pal ? AVCOL_SPC_BT470BG : AVCOL_SPC_SMPTE170M;
  encoder->color_primaries = pal ? AVCOL_PRI_BT470BG : AVCOL_PRI_SMPTE170M;
  encoder->color_trc = AVCOL_TRC_SMPTE170M;
  av_dict_set(options, "preset", "medium", 0);
  av_dict_set(options, "crf", std::to_string(std::clamp(quality, 0, 51)).c_str(), 0);
  // Errors only: x264 would otherwise report its settings and statistics
  // on every export.
  av_dict_set(options, "x264-params", "log=0", 0);
  return encoder;
}

CodecContextPtr SoundEncoder() {
  CodecContextPtr encoder = NewEncoder(avcodec_find_encoder(AV_CODEC_ID_AAC));
  encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
  encoder->sample_rate = kSoundRate;
  encoder->ch_layout = AV_CHANNEL_LAYOUT_STEREO;
  encoder->bit_rate = kSoundBitRate;
  encoder->time_base = {1, kSoundRate};
  return encoder;
}

CodecContextPtr SubtitleEncoder() {
  CodecContextPtr encoder = NewEncoder(avcodec_find_encoder(AV_CODEC_ID_MOV_TEXT));
  encoder->time_base = {1, 1000};
  const std::size_t size = std::strlen(kSubtitleHeader);
  encoder->subtitle_header = static_cast<std::uint8_t*>(av_malloc(size + 1));
  if (encoder->subtitle_header == nullptr) throw ConversionError("out of memory for the subtitles");
  std::memcpy(encoder->subtitle_header, kSubtitleHeader, size + 1);
  encoder->subtitle_header_size = static_cast<int>(size);
  return encoder;
}

// Sound gathered into the encoder's frames of planar float stereo.
class SoundFrames {
 public:
  explicit SoundFrames(Track& track) : track_(track), frame_size_(std::max(track.encoder->frame_size, 1)) {}

  void Add(std::span<const std::int16_t> stereo, AVFormatContext& file, AVPacket& packet) {
    for (std::size_t i = 0; i + 1 < stereo.size(); i += 2) {
      left_.push_back(static_cast<float>(stereo[i]) / 32768.0f);
      right_.push_back(static_cast<float>(stereo[i + 1]) / 32768.0f);
    }
    std::size_t used = 0;
    while (left_.size() - used >= static_cast<std::size_t>(frame_size_)) {
      Send(used, frame_size_, file, packet);
      used += static_cast<std::size_t>(frame_size_);
    }
    left_.erase(left_.begin(), left_.begin() + static_cast<std::ptrdiff_t>(used));
    right_.erase(right_.begin(), right_.begin() + static_cast<std::ptrdiff_t>(used));
  }

  void Finish(AVFormatContext& file, AVPacket& packet) {
    if (!left_.empty()) Send(0, static_cast<int>(left_.size()), file, packet);
    left_.clear();
    right_.clear();
    CheckAv(avcodec_send_frame(track_.encoder.get(), nullptr), "encode the sound");
    WritePackets(track_, file, packet, 0);
  }

 private:
  void Send(std::size_t from, int samples, AVFormatContext& file, AVPacket& packet) {
    FramePtr frame = AllocFrame();
    frame->format = AV_SAMPLE_FMT_FLTP;
    frame->sample_rate = kSoundRate;
    frame->nb_samples = samples;
    CheckAv(av_channel_layout_copy(&frame->ch_layout, &track_.encoder->ch_layout), "encode the sound");
    CheckAv(av_frame_get_buffer(frame.get(), 0), "encode the sound");
    const std::size_t bytes = static_cast<std::size_t>(samples) * sizeof(float);
    std::memcpy(frame->data[0], left_.data() + from, bytes);
    std::memcpy(frame->data[1], right_.data() + from, bytes);
    frame->pts = sent_;
    sent_ += samples;
    CheckAv(avcodec_send_frame(track_.encoder.get(), frame.get()), "encode the sound");
    WritePackets(track_, file, packet, 0);
  }

  Track& track_;
  int frame_size_;
  std::vector<float> left_;
  std::vector<float> right_;
  std::int64_t sent_ = 0;
};

void WriteCue(Track& track, AVFormatContext& file, AVPacket& packet, const DatecodeCue& cue, AVRational frame_time,
              const Mp4ExportOptions& options) {
  std::string dialogue = "0,0,Default,,0,0,0,," + DateText(RecordingValue(cue.datecode), options);
  AVSubtitleRect rect{};
  rect.type = SUBTITLE_ASS;
  rect.ass = dialogue.data();
  AVSubtitleRect* rects[] = {&rect};
  AVSubtitle subtitle{};
  subtitle.num_rects = 1;
  subtitle.rects = rects;
  subtitle.end_display_time =
      static_cast<std::uint32_t>(av_rescale_q(cue.endFrame - cue.firstFrame, frame_time, AVRational{1, 1000}));
  std::vector<std::uint8_t> bytes(dialogue.size() * 4 + 256);
  const int size = avcodec_encode_subtitle(track.encoder.get(), bytes.data(), static_cast<int>(bytes.size()),
                                           &subtitle);
  CheckAv(size, "write the datecode subtitles");
  CheckAv(av_new_packet(&packet, size), "write the datecode subtitles");
  std::memcpy(packet.data, bytes.data(), static_cast<std::size_t>(size));
  packet.pts = packet.dts = av_rescale_q(cue.firstFrame, frame_time, track.stream->time_base);
  packet.duration = av_rescale_q(cue.endFrame - cue.firstFrame, frame_time, track.stream->time_base);
  packet.stream_index = track.stream->index;
  CheckAv(av_interleaved_write_frame(&file, &packet), "write the MP4 file");
}

void AddChapters(AVFormatContext& file, const std::vector<DetectedScene>& scenes, AVRational frame_time,
                 const Mp4ExportOptions& options) {
  if (scenes.empty()) return;
  file.chapters = static_cast<AVChapter**>(av_calloc(scenes.size(), sizeof(AVChapter*)));
  if (file.chapters == nullptr) throw ConversionError("out of memory for the chapters");
  for (const DetectedScene& scene : scenes) {
    auto* chapter = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
    if (chapter == nullptr) throw ConversionError("out of memory for the chapters");
    file.chapters[file.nb_chapters++] = chapter;
    chapter->id = static_cast<std::int64_t>(file.nb_chapters);
    chapter->time_base = frame_time;
    chapter->start = scene.startFrame;
    chapter->end = std::int64_t{scene.endFrame} + 1;
    std::string title = DateText(scene.datecode, options);
    if (title.empty()) title = ShownTimecodeText(scene);
    av_dict_set(&chapter->metadata, "title", title.c_str(), 0);
  }
}

// Chapters of frames that were never written (a stopped run) end with the file.
void TrimChapters(AVFormatContext& file, std::int64_t frames) {
  for (unsigned i = 0; i < file.nb_chapters; ++i) {
    AVChapter& chapter = *file.chapters[i];
    chapter.end = std::min(chapter.end, frames);
    chapter.start = std::min(chapter.start, chapter.end);
  }
}

}  // namespace

std::string UtcMetadataTime(std::int64_t seconds) {
  const auto moment = static_cast<std::time_t>(seconds);
  std::tm parts{};
  if (gmtime_r(&moment, &parts) == nullptr) return {};
  char text[40] = {};
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S.000000Z", &parts);
  return text;
}

Mp4ExportJob::Mp4ExportJob(const std::filesystem::path& source, std::filesystem::path output,
                           Mp4ExportOptions options)
    : source_(source), output_(std::move(output)), options_(std::move(options)) {}

std::int64_t Mp4ExportJob::Duration() const { return DvFramesTicks(source_.System(), source_.FrameCount()); }

void Mp4ExportJob::Run(JobProgress& progress) {
  const media::DvSystem system = source_.System();
  const AVRational frame_time = DvFrameTime(system);
  const AVPixelFormat dv_format = system == media::DvSystem::k625_50 ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUV411P;
  const int dv_lines = DvPictureLines(system);
  const RecordingMarks marks = ReadMarks(source_.File().Path());

  media::AtomicOutput output(output_, source_.File().Path());
  AVFormatContext* raw = nullptr;
  CheckAv(avformat_alloc_output_context2(&raw, nullptr, "mp4", nullptr), "make an MP4 file");
  OutputFormatPtr file(raw);
  // The muxer reopens the file by name to move its index to the front.
  file->url = av_strdup(output.TemporaryPath().c_str());
  if (file->url == nullptr) throw ConversionError("out of memory for the MP4 file");
  CheckAv(avio_open(&file->pb, file->url, AVIO_FLAG_WRITE), "write the MP4 file");

  SquarePixelFilter filter(system, source_.Wide(), dv_format);
  Options picture_options;
  CodecContextPtr picture_encoder = PictureEncoder(system, filter, options_.quality, &picture_options.list);
  Track picture = AddTrack(*file, std::move(picture_encoder), &picture_options.list);
  picture.stream->avg_frame_rate = filter.FrameRate();

  // Players take the sound at its nominal rate: unlocked sound would end
  // away from the picture.
  std::unique_ptr<SoundFeed> sound = MakeSoundFeed(
      source_, kSoundRate, DvSoundLayout{true, options_.mixPairs ? DvPairUse::kMixed : DvPairUse::kFirstPair});
  Track sound_track;
  if (sound) sound_track = AddTrack(*file, SoundEncoder(), nullptr);
  Track subtitles = AddTrack(*file, SubtitleEncoder(), nullptr);
  subtitles.stream->time_base = frame_time;

  AddChapters(*file, marks.scenes, frame_time, options_);
  if (options_.creationTime)
    av_dict_set(&file->metadata, "creation_time", UtcMetadataTime(*options_.creationTime).c_str(), 0);
  if (!options_.creationDate.empty()) av_dict_set(&file->metadata, "date", options_.creationDate.c_str(), 0);
  Options mux_options;
  av_dict_set(&mux_options.list, "movflags", "+faststart", 0);
  // The edit lists that trim the encoders' delay count in the file's own
  // time scale: at the default milliseconds the sound would lose its last
  // samples. This one counts both 48 kHz samples and NTSC frames exactly.
  av_dict_set(&mux_options.list, "movie_timescale", "240000", 0);
  CheckAv(avformat_write_header(file.get(), &mux_options.list), "write the MP4 file");

  PacketPtr packet = AllocPacket();
  std::optional<SoundFrames> sound_frames;
  if (sound) sound_frames.emplace(sound_track);

  // Decoding and filtering on this thread, encoding and writing on a
  // second one: x264 then gets its pictures as fast as it takes them.
  std::size_t done = 0;
  std::size_t next_cue = 0;
  std::optional<std::int64_t> last_picture_pts;
  RunTwoStages<FilteredFrame>(
      kQueuedFrames,
      [&](BoundedQueue<FilteredFrame>& queue) {
        DvFrameSequence sequence(source_);
        DvPictureDecoder decoder;
        std::vector<std::uint8_t> dv;
        FramePtr last;
        // The frame the next picture is pulled into; one is made only when
        // the last was taken.
        FramePtr spare = AllocFrame();
        const auto pull_filtered = [&](FilteredFrame& item) {
          while (filter.Pull(*spare)) {
            item.pictures.push_back(std::move(spare));
            spare = AllocFrame();
          }
        };
        for (std::size_t k = 0; k < source_.FrameCount() && !progress.StopRequested(); ++k) {
          FilteredFrame item;
          item.index = k;
          bool damaged = false;
          FramePtr shown;
          if (sequence.Read(k, dv, damaged) && !decoder.Decode(dv, shown) && last)
            shown.reset(av_frame_clone(last.get()));
          if (shown) {
            if (shown->width != 720 || shown->height != dv_lines || shown->format != dv_format)
              throw ConversionError("the DV decoder gave an unexpected picture format");
            shown->pts = static_cast<std::int64_t>(k);
            filter.Push(shown.get());
            last = std::move(shown);
            pull_filtered(item);
          }
          if (sound) {
            const auto pcm = sound->Take(media::SamplesForFrame(system, media::DvAudioRate::k48000, k));
            item.sound.assign(pcm.begin(), pcm.end());
          }
          if (!queue.Push(std::move(item))) return;
        }
        FilteredFrame tail;
        filter.Push(nullptr);
        pull_filtered(tail);
        queue.Push(std::move(tail));
      },
      [&](FilteredFrame item) {
        if (item.index) {
          const auto k = static_cast<std::int64_t>(*item.index);
          for (; next_cue < marks.cues.size() && marks.cues[next_cue].firstFrame <= k; ++next_cue)
            WriteCue(subtitles, *file, *packet, marks.cues[next_cue], frame_time, options_);
        }
        for (FramePtr& shown : item.pictures) {
          // The DV decoder marks every picture as a key picture; x264 would
          // obey and make every picture one.
          shown->pict_type = AV_PICTURE_TYPE_NONE;
          // The deinterlacer stamps both fields of a lone frame with the
          // frame's own time: each picture gets a time of its own.
          if (last_picture_pts && shown->pts <= *last_picture_pts) shown->pts = *last_picture_pts + 1;
          last_picture_pts = shown->pts;
          CheckAv(avcodec_send_frame(picture.encoder.get(), shown.get()), "encode the picture");
          WritePackets(picture, *file, *packet, 1);
        }
        if (sound_frames && !item.sound.empty()) sound_frames->Add(item.sound, *file, *packet);
        if (item.index) {
          done = *item.index + 1;
          progress.SetPosition(DvFramesTicks(system, done));
        }
      });
  CheckAv(avcodec_send_frame(picture.encoder.get(), nullptr), "encode the picture");
  WritePackets(picture, *file, *packet, 1);
  if (sound_frames) sound_frames->Finish(*file, *packet);
  TrimChapters(*file, static_cast<std::int64_t>(done));
  CheckAv(av_write_trailer(file.get()), "write the MP4 file");
  CheckAv(avio_closep(&file->pb), "write the MP4 file");
  output.Commit();
}

}  // namespace korvid::graphs
