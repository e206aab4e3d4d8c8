#include "media/first_frame.h"

#include <vector>

#include "media/avi_frame_index.h"
#include "media/avi_param.h"
#include "media/binary_file.h"
#include "media/dv_frame.h"
#include "media/dv_pack_scan.h"

namespace korvid::media {
namespace {

std::optional<FirstFramePacks> Fail(std::string* why, const char* reason) {
  if (why != nullptr) *why = reason;
  return std::nullopt;
}

}  // namespace

std::optional<FirstFramePacks> ReadFirstFramePacks(const std::filesystem::path& path, std::string* why) {
  const TFriendlyAviParam param(path);
  if (!param.valid) return Fail(why, "not an AVI file");
  const auto stream = FindDvVideoStream(param);
  if (!stream) return Fail(why, "no video stream");
  const BinaryFile file(path, BinaryFile::Mode::kRead);
  const AviFrameIndex index = AviFrameIndex::Load(file, param);
  if (index.FramesOf(*stream).empty()) return Fail(why, "no video frame");
  std::vector<std::uint8_t> frame(FrameBytes(DvSystem::k625_50));
  frame.resize(index.ReadFrameStart(file, *stream, 0, frame));
  if (!DetectDvSystem(frame)) return Fail(why, "the video is not DV");
  FirstFramePacks packs;
  packs.timecode = ReadFrameTimecode(frame);
  ReadFrameDatecode(frame, packs.datecode);
  packs.wide = IsFrameWideScreen(frame);
  return packs;
}

}  // namespace korvid::media
