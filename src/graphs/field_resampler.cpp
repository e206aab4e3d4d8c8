#include "graphs/field_resampler.h"

namespace korvid::graphs {

FieldRate FieldRateOf(media::DvSystem system) {
  return system == media::DvSystem::k625_50 ? FieldRate{50, 1} : FieldRate{60000, 1001};
}

std::uint64_t SourceFieldAt(std::uint64_t out_field, FieldRate source, FieldRate target) {
  // Products stay far below 2^64 for any tape: 10^8 fields x 60000 x 1001.
  // time = out_field * target.den / target.num; field = floor(time * source.num / source.den)
  const auto num = static_cast<std::uint64_t>(out_field) * static_cast<std::uint64_t>(target.den) *
                   static_cast<std::uint64_t>(source.num);
  const auto den = static_cast<std::uint64_t>(target.num) *
                   static_cast<std::uint64_t>(source.den);
  return static_cast<std::uint64_t>(num / den);
}

std::uint64_t TargetFrameCount(std::uint64_t source_frames, media::DvSystem source, media::DvSystem target) {
  const FieldRate s = FieldRateOf(source);
  const FieldRate t = FieldRateOf(target);
  const auto num = static_cast<std::uint64_t>(source_frames) * static_cast<std::uint64_t>(s.den) *
                   static_cast<std::uint64_t>(t.num);
  const auto den = static_cast<std::uint64_t>(s.num) *
                   static_cast<std::uint64_t>(t.den);
  return static_cast<std::uint64_t>((num + den / 2) / den);
}

FieldScaler::FieldScaler(int src_width, int src_height, AVPixelFormat src_format, int dst_width, int dst_height,
                         AVPixelFormat dst_format)
    : src_field_height_(src_height / 2),
      sws_(sws_getContext(src_width, src_height / 2, src_format, dst_width, dst_height / 2, dst_format,
                          SWS_BICUBIC, nullptr, nullptr, nullptr)) {
  if (!sws_) throw MediaError("cannot set up the picture scaler");
}

void FieldScaler::Scale(const AVFrame& src, int src_parity, AVFrame& dst, int dst_parity) const {
  const std::uint8_t* src_planes[4] = {};
  int src_strides[4] = {};
  std::uint8_t* dst_planes[4] = {};
  int dst_strides[4] = {};
  for (int p = 0; p < 3; ++p) {
    src_planes[p] = src.data[p] + src.linesize[p] * src_parity;
    src_strides[p] = src.linesize[p] * 2;
    dst_planes[p] = dst.data[p] + dst.linesize[p] * dst_parity;
    dst_strides[p] = dst.linesize[p] * 2;
  }
  sws_scale(sws_.get(), src_planes, src_strides, 0, src_field_height_, dst_planes, dst_strides);
}

}  // namespace korvid::graphs
