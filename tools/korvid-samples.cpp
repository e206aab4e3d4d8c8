// Writes Korvid's sample footage:
//   korvid-samples DIR               the standard set of short clips
//   korvid-samples --long SECONDS DIR/NAME.avi [--ntsc] [--type1] [--scenes N]
//                  [--unlocked N,N,...] [--four-channels] [--clicks]
//                                    one long clip, for benchmarks and fault
//                                    tests; N scenes of equal length, the
//                                    clock jumping an hour between them;
//                                    unlocked sound with these samples per
//                                    frame, repeated; 32 kHz sound on two
//                                    stereo pairs; a click every second
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "sample_clip.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: korvid-samples DIR\n"
               "       korvid-samples --long SECONDS FILE.avi [--ntsc] [--type1] [--scenes N]\n"
               "                      [--unlocked N,N,...] [--four-channels] [--clicks]\n");
  return 2;
}

// "1919,1921,..." into counts; the encoder checks that each fits a frame.
bool ParseCounts(const std::string& text, std::vector<std::size_t>& counts) {
  counts.clear();
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t comma = std::min(text.find(',', at), text.size());
    const std::string item = text.substr(at, comma - at);
    char* end = nullptr;
    const long value = std::strtol(item.c_str(), &end, 10);
    if (item.empty() || *end != '\0' || value < 1 || value > 100000) return false;
    counts.push_back(static_cast<std::size_t>(value));
    at = comma + 1;
  }
  return !counts.empty();
}

int WriteLong(const std::vector<std::string>& args) {
  if (args.size() < 3) return Usage();
  char* end = nullptr;
  const double seconds = std::strtod(args[1].c_str(), &end);
  if (end == args[1].c_str() || *end != '\0' || !(seconds > 0) || seconds > 24 * 3600) {
    std::fprintf(stderr, "korvid-samples: '%s' is not a length in seconds (0-86400)\n", args[1].c_str());
    return 2;
  }
  korvid::samples::DvClipSpec spec;
  spec.distinct_pictures = 25;
  long scenes = 1;
  for (std::size_t i = 3; i < args.size(); ++i) {
    if (args[i] == "--ntsc") {
      spec.system = korvid::media::DvSystem::k525_60;
    } else if (args[i] == "--type1") {
      spec.dv_type = 1;
    } else if (args[i] == "--scenes" && i + 1 < args.size()) {
      scenes = std::strtol(args[++i].c_str(), &end, 10);
      if (*end != '\0' || scenes < 1 || scenes > 1000) return Usage();
    } else if (args[i] == "--unlocked" && i + 1 < args.size()) {
      if (!ParseCounts(args[++i], spec.unlocked_counts)) return Usage();
    } else if (args[i] == "--four-channels") {
      spec.audio = korvid::media::DvAudioMode::k32k12Bit4Ch;
    } else if (args[i] == "--clicks") {
      spec.clicks = true;
    } else {
      return Usage();
    }
  }
  const double fps = spec.system == korvid::media::DvSystem::k625_50 ? 25.0 : 30000.0 / 1001.0;
  spec.frames = static_cast<int>(seconds * fps);
  for (long scene = 1; scene < scenes; ++scene)
    spec.jumps.push_back({static_cast<int>(spec.frames * scene / scenes), 3600});
  korvid::samples::WriteDvClip(args[2], spec);
  std::printf("%s\n", args[2].c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (args.empty()) return Usage();
    if (args[0] == "--long") return WriteLong(args);
    if (args.size() != 1 || args[0].starts_with("-")) return Usage();
    for (const auto& path : korvid::samples::WriteStandardSamples(args[0])) std::printf("%s\n", path.c_str());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvid-samples: %s\n", e.what());
    return 1;
  }
}
