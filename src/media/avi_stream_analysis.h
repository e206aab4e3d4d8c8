#pragma once
// The stream analysis of an AVI file read straight from its headers and
// its first DV frame, without running a media graph. It reports what a
// demultiplexer and a DV splitter would: for an interleaved DV stream the
// picture and sound formats come from the frame itself, 12-bit DV sound
// being delivered as 16-bit PCM.
//
// The file is only read: whatever its handler code says, a DV frame is
// recognised by its own header block.

#include <filesystem>
#include <optional>

#include "media/avi_frame_index.h"
#include "media/avi_param.h"
#include "media/binary_file.h"
#include "media/dv_sound_drift.h"
#include "media/stream_analysis.h"
#include "media/video_record.h"

namespace korvid::media {

// A file that cannot be read gives `succeeded` false and nothing captured;
// only a program fault throws.
StreamAnalysis AnalyseAviStreams(const BinaryFile& file, const TAviParam& param);

// The whole record of one file, as the video list builds it.
TAfficherFichier AnalyseFile(const std::filesystem::path& path, const DatecodeFormat& format);
// And the DV sound's drift, read through the same open file and index:
// nothing for a file that is not DV, has no readable sound or could not
// be read.
TAfficherFichier AnalyseFileAndDrift(const std::filesystem::path& path, const DatecodeFormat& format,
                                     std::optional<DvSoundDrift>& drift);

}  // namespace korvid::media
