#include "support/dv_pack_frames.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "media/dv_pack_layout.h"
#include "support/test_env.h"

namespace korvid::test {

using media::DvSystem;

std::vector<std::uint8_t> BlankDvFrame(DvSystem system, std::uint8_t ap3) {
  std::vector<std::uint8_t> frame(media::FrameBytes(system), 0xFF);
  for (std::size_t s = 0; s < media::SequencesPerFrame(system); ++s) {
    std::uint8_t* header = frame.data() + media::DifBlockOffset(s, 0);
    header[0] = 0x1F;
    header[1] = static_cast<std::uint8_t>((s << 4) | 0x07);
    header[2] = 0x00;
    header[3] = system == DvSystem::k625_50 ? 0xBF : 0x3F;
    header[4] = 0x68;
    header[5] = 0x78;
    header[6] = 0x78;
    header[7] = static_cast<std::uint8_t>(0x78 | (ap3 & 0x07));
    for (std::size_t b = 1; b < 6; ++b) {
      std::uint8_t* id = frame.data() + media::DifBlockOffset(s, b);
      id[0] = b < 3 ? 0x3F : 0x5F;
      id[1] = static_cast<std::uint8_t>((s << 4) | 0x07);
      id[2] = static_cast<std::uint8_t>(b < 3 ? b - 1 : b - 3);
    }
  }
  return frame;
}

void PutPack(std::vector<std::uint8_t>& frame, std::size_t offset, const media::DvPack& pack) {
  for (std::size_t i = 0; i < pack.size(); ++i) frame.at(offset + i) = pack[i];
}

void BlankFirstSequencePacks(std::vector<std::uint8_t>& frame) {
  const media::DvPack blank{0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  for (std::size_t i = 0; i < media::kSubcodeSlotsPerSequence; ++i)
    PutPack(frame, media::SubcodeSlotOffset(0, i), blank);
  for (std::size_t i = 0; i < media::kVauxSlotsPerSequence; ++i)
    PutPack(frame, media::VauxSlotOffset(0, i), blank);
}

std::vector<std::uint8_t> ReadRealFixture(const std::string& name) {
  const auto dir = RealFixturesDir();
  if (dir.empty() || !std::filesystem::exists(dir / name)) return {};
  return ReadWholeFile(dir / name);
}

std::vector<std::uint8_t> MakeFfmpegDv(const std::filesystem::path& out, DvSystem system,
                                       int frames, const std::vector<std::string>& extra) {
  const bool pal = system == DvSystem::k625_50;
  std::vector<std::string> argv = {
      "ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
      pal ? "testsrc=size=720x576:rate=25" : "testsrc=size=720x480:rate=30000/1001",
      "-frames:v", std::to_string(frames), "-c:v", "dvvideo", "-pix_fmt",
      pal ? "yuv420p" : "yuv411p"};
  argv.insert(argv.end(), extra.begin(), extra.end());
  argv.insert(argv.end(), {"-f", "dv", out.string()});
  if (RunCommand(argv).exit_code != 0 || !std::filesystem::exists(out)) return {};
  return ReadWholeFile(out);
}

std::string MediaInfoField(const std::filesystem::path& file, const std::string& field) {
  const CommandResult result = RunCommand({"mediainfo", "--Output=JSON", file.string()});
  if (result.exit_code != 0) return {};
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(result.output));
  const QJsonArray tracks = doc.object().value("media").toObject().value("track").toArray();
  for (const auto& track : tracks) {
    const QJsonValue value = track.toObject().value(QString::fromStdString(field));
    if (value.isString()) return value.toString().toStdString();
  }
  return {};
}

}  // namespace korvid::test
