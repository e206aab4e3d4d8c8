#include "graphs/ffmpeg_input.h"

namespace korvid::graphs {

InputFormatPtr OpenMediaFile(const std::filesystem::path& path) {
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0)
    throw ConversionError("FFmpeg cannot open " + path.string());
  InputFormatPtr format(raw);
  if (avformat_find_stream_info(format.get(), nullptr) < 0)
    throw ConversionError("FFmpeg cannot read the streams of " + path.string());
  return format;
}

CodecContextPtr OpenDecoder(const AVStream& stream, int threads) {
  const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
  if (codec == nullptr) throw NoDecoderError("no decoder for the source's codec");
  CodecContextPtr context(avcodec_alloc_context3(codec));
  if (!context || avcodec_parameters_to_context(context.get(), stream.codecpar) < 0)
    throw ConversionError("cannot set up the decoder");
  context->thread_count = threads;
  if (avcodec_open2(context.get(), codec, nullptr) < 0) throw ConversionError("cannot open the decoder");
  return context;
}

int KeepOnlyStream(AVFormatContext& format, std::size_t avi_stream, AVMediaType type) {
  int kept = -1;
  if (avi_stream < format.nb_streams && format.streams[avi_stream]->codecpar->codec_type == type)
    kept = static_cast<int>(avi_stream);
  else
    kept = av_find_best_stream(&format, type, -1, -1, nullptr, 0);
  if (kept < 0) return -1;
  for (unsigned s = 0; s < format.nb_streams; ++s)
    if (static_cast<int>(s) != kept) format.streams[s]->discard = AVDISCARD_ALL;
  return kept;
}

bool DecodeNextFrame(AVFormatContext& format, AVCodecContext& decoder, AVPacket& packet, int stream,
                     bool& sent_end, AVFrame& out) {
  for (;;) {
    const int got = avcodec_receive_frame(&decoder, &out);
    if (got == 0) return true;
    if (got == AVERROR_EOF || sent_end) return false;
    if (av_read_frame(&format, &packet) < 0) {
      avcodec_send_packet(&decoder, nullptr);
      sent_end = true;
      continue;
    }
    if (packet.stream_index == stream) avcodec_send_packet(&decoder, &packet);
    av_packet_unref(&packet);
  }
}

}  // namespace korvid::graphs
