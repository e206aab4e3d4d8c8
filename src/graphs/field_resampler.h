#pragma once
// Frame-rate conversion between 25 and 29.97 frames a second for
// interlaced camcorder footage, done on fields. Each frame is two pictures
// taken 1/50 s (or 1/59.94 s) apart; the output shows, at each of its field
// instants, the source field on screen at that instant, scaled to the
// target's field height and written into the field of the same temporal
// place. 50 to 59.94 fields repeats about one field in six, 59.94 to 50
// drops one in six. Motion keeps its 50 or 60 steps a second, with no
// blending ghosts and no combing from frames built of two instants that
// were never neighbours; a whole-frame method would judder at 5 Hz and a
// blending one would smear every movement.

#include <cstdint>

#include "media/dv_frame.h"
#include "graphs/ffmpeg_ptr.h"

namespace korvid::graphs {

struct FieldRate {
  std::int64_t num;  // fields per `den` seconds
  std::int64_t den;
};

FieldRate FieldRateOf(media::DvSystem system);

// The source field (counted in time order from 0) on screen when output
// field `out_field` is taken.
std::uint64_t SourceFieldAt(std::uint64_t out_field, FieldRate source, FieldRate target);

// DV frames are bottom field first: the first field in time lies on the
// odd lines (parity 1), the second on the even ones.
constexpr int ParityOfField(std::uint64_t field_in_time) { return field_in_time % 2 == 0 ? 1 : 0; }

// Frames of the target for `source_frames` frames of the source, the same
// length of time.
std::uint64_t TargetFrameCount(std::uint64_t source_frames, media::DvSystem source, media::DvSystem target);

// Scales one field of a picture into one field of another: each field is
// seen as a picture of half height (every other line, chroma lines too,
// as interlaced 4:2:0 and 4:1:1 store them).
class FieldScaler {
 public:
  FieldScaler(int src_width, int src_height, AVPixelFormat src_format, int dst_width, int dst_height,
              AVPixelFormat dst_format);
  void Scale(const AVFrame& src, int src_parity, AVFrame& dst, int dst_parity) const;

 private:
  int src_field_height_;
  SwsPtr sws_;
};

}  // namespace korvid::graphs
