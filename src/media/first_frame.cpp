#include "media/first_frame.h"

#include "media/avi_frame_index.h"
#include "media/avi_param.h"
#include "media/binary_file.h"
#include "media/dv_frame_facts.h"

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
  const auto first = ReadFileFirstFacts(file, index, *stream);
  if (!first) return Fail(why, "the video is not DV");
  return FirstFramePacks{first->facts.timecode, first->facts.datecode, first->facts.wide};
}

}  // namespace korvid::media
