#include "graphs/decoder_opener.h"

namespace korvid::graphs {

media::CodecContextPtr OpenDecoder(const AVStream& stream, int threads) {
  const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
  if (codec == nullptr) throw NoDecoderError("no decoder for the source's codec");
  media::CodecContextPtr context(avcodec_alloc_context3(codec));
  if (!context || avcodec_parameters_to_context(context.get(), stream.codecpar) < 0)
    throw ConversionError("cannot set up the decoder");
  context->thread_count = threads;
  if (avcodec_open2(context.get(), codec, nullptr) < 0) throw ConversionError("cannot open the decoder");
  return context;
}

}  // namespace korvid::graphs
