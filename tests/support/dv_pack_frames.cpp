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

namespace {

int Digits(std::uint8_t byte, int tens_mask) { return (byte & 0x0F) + 10 * ((byte >> 4) & tens_mask); }

}  // namespace

media::TTimecode FixedTimecode(std::span<const std::uint8_t> frame) {
  if (frame.size() < 468 || frame[86] != 0x13 || frame[88] == 0xFF) return {};
  return {static_cast<std::uint8_t>(Digits(frame[90], 3)), static_cast<std::uint8_t>(Digits(frame[89], 7)),
          static_cast<std::uint8_t>(Digits(frame[88], 7)), static_cast<std::uint8_t>(Digits(frame[87], 3))};
}

media::TDatecode FixedDatecode(std::span<const std::uint8_t> frame) {
  media::TDatecode dc;
  if (frame.size() < 468 || frame[458] != 0x62 || frame[463] != 0x63) return dc;
  const int yy = Digits(frame[462], 15);
  dc.year = yy < 40 ? 2000 + yy : 1900 + yy;
  dc.month = static_cast<std::uint8_t>(Digits(frame[461], 1));
  dc.day = static_cast<std::uint8_t>(Digits(frame[460], 3));
  dc.hour = static_cast<std::uint8_t>(Digits(frame[467], 3));
  dc.minute = static_cast<std::uint8_t>(Digits(frame[466], 7));
  dc.second = static_cast<std::uint8_t>(Digits(frame[465], 7));
  return dc;
}

bool FixedWide(std::span<const std::uint8_t> frame) {
  if (frame.size() < 468 || frame[453] != 0x61) return false;
  const int disp = frame[455] & 7;
  return disp == 2 || (disp == 7 && (frame[7] & 7) == 0);
}

void BlankDatePacks(std::span<std::uint8_t> frame) {
  for (std::size_t s = 0; s < frame.size() / media::kDifSequenceBytes; ++s)
    for (std::size_t i = 0; i < media::kVauxSlotsPerSequence; ++i) {
      const std::size_t at = media::VauxSlotOffset(s, i);
      if (frame[at] == 0x62 || frame[at] == 0x63)
        for (std::size_t b = 0; b < 5; ++b) frame[at + b] = 0xFF;
    }
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
