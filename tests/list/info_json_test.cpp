// The JSON of `--info --json` is written without Qt's JSON classes; its
// readers have always parsed what QJsonDocument printed, so these compare
// the bytes with what Qt prints for the same records and values.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "list/info_report.h"
#include "list/json_writer.h"
#include "media/avi_stream_analysis.h"
#include "media/clock_plausibility.h"
#include "support/list_samples.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid::list {
namespace {

namespace fs = std::filesystem;

// The records as Qt built and printed them before the direct writer.
QString Text(const std::string& text) { return QString::fromStdString(text); }

QString KeyText(const std::string& key) {
  if (!key.empty()) {
    const auto first = static_cast<unsigned char>(key.front());
    if (first == 0xFA || first == 0xFF)
      return QString(QChar(static_cast<char16_t>(first))) +
             QString::fromUtf8(key.data() + 1, static_cast<qsizetype>(key.size() - 1));
  }
  return Text(key);
}

QString IsoText(const settings::DateTimeValue& value) {
  char text[64] = {};
  std::snprintf(text, sizeof text, "%.4d-%.2d-%.2dT%.2d:%.2d:%.2d", value.year, value.month, value.day,
                value.hour, value.minute, value.second);
  return QString::fromLatin1(text);
}

QJsonValue FileTime(const media::TAfficherFichier& record, const settings::DateTimeValue& value) {
  return record.exists ? QJsonValue(IsoText(value)) : QJsonValue(QJsonValue::Null);
}

QJsonObject QtRecord(const InfoRecord& info, const settings::RecordingZone& zone) {
  const media::TAfficherFichier& r = info.record;
  const QJsonValue none(QJsonValue::Null);
  QJsonObject o;
  o["name"] = Text(r.name);
  o["fullName"] = Text(r.fullName);
  o["nameKey"] = KeyText(r.nameKey);
  o["exists"] = r.exists;
  o["sizeHigh"] = static_cast<qint64>(r.sizeHigh);
  o["sizeLow"] = static_cast<qint64>(r.sizeLow);
  o["size"] = static_cast<qint64>(r.Size());
  o["created"] = FileTime(r, r.created);
  o["modified"] = FileTime(r, r.modified);
  o["accessed"] = FileTime(r, r.accessed);
  o["attributes"] = static_cast<qint64>(r.attributes);
  o["sizeKey"] = KeyText(r.sizeKey);
  o["dateKey"] = KeyText(r.dateKey);
  o["datecodeKey"] = KeyText(r.datecodeKey);
  o["datecodeText"] = Text(r.datecodeText);
  o["datecode"] = r.datecode ? QJsonValue(IsoText(*r.datecode)) : none;
  o["timecodeText"] = Text(r.timecodeText);
  o["codec"] = Text(r.codec);
  o["dvType"] = r.dvType;
  o["imageText"] = Text(r.imageText);
  o["width"] = r.width;
  o["height"] = r.height;
  o["durationText"] = Text(r.durationText);
  o["frames"] = static_cast<qint64>(r.frames);
  o["durationSeconds"] = r.durationSeconds;
  o["fps"] = r.fps;
  o["audioText"] = Text(r.audioText);
  o["audioDurationText"] = Text(r.audioDurationText);
  o["dvVideoSource"] = static_cast<qint64>(r.dvVideoSource);
  o["videoBitRate"] = static_cast<qint64>(r.videoBitRate);
  o["audioFormatText"] = Text(r.audioFormatText);
  o["tvSystem"] = static_cast<int>(r.tvSystem);
  o["hasSceneFile"] = r.hasSceneFile;
  o["isDV"] = r.isDV;
  o["wideScreen"] = r.wideScreen;
  o["sampleRate"] = r.sampleRate;
  o["bitsPerSample"] = r.bitsPerSample;
  o["channelsText"] = Text(r.channelsText);
  o["datecodeNameKey"] = KeyText(r.datecodeNameKey);
  o["audioLocked"] = info.drift ? QJsonValue(info.drift->locked) : none;
  o["audioDriftMs"] = info.drift ? QJsonValue(std::round(info.drift->drift_ms * 1000.0) / 1000.0) : none;
  const auto instant = r.datecode ? zone.ToUtc(*r.datecode) : std::nullopt;
  const std::string note = instant ? settings::EdgeNote(*r.datecode, *instant, zone.Name()) : std::string();
  o["recordedUtc"] = instant ? QJsonValue(Text(settings::UtcText(instant->utcSeconds))) : none;
  o["recordedUtcNote"] = note.empty() ? none : QJsonValue(Text(note));
  o["timeZone"] = Text(zone.Name());
  const std::string suspicion =
      r.datecode ? media::ClockSuspicion(*r.datecode, {std::nullopt, media::FileModifiedUtc(r.fullName)}, zone)
                 : std::string();
  o["datecodeSuspect"] = suspicion.empty() ? none : QJsonValue(Text(suspicion));
  return o;
}

std::string QtInfoJson(const std::vector<InfoRecord>& records, const settings::RecordingZone& zone) {
  QJsonArray array;
  for (const InfoRecord& info : records) array.append(QtRecord(info, zone));
  return QJsonDocument(array).toJson(QJsonDocument::Indented).toStdString();
}

// Names a user's files may really have, and bytes no file system should.
const std::vector<std::string> kAwkwardTexts = {
    "quo\"te", "back\\slash", "ctl\x01\x1f\x7f\ttab\r\n\b\f", std::string("nul\0byte", 8),
    "bad\xFF\xFEutf8", "\xEF\xBB\xBF" "bom first", "n\xC3\xB6n-ascii \xE2\x82\xAC\xF0\x9F\x98\x80",
    "cut \xE2\x82", "surrogate \xED\xA0\x80", "overlong \xC0\xAF \xE0\x80\xAF", "past \xF4\x90\x80\x80",
    "nonchar \xEF\xBF\xBE", "\xFA\xEF\xBB\xBF" "marker then bom", "\xFF\x80", "\xFA", "",
};

void ExpectSameBytes(const std::vector<InfoRecord>& records, const std::string& zone_name) {
  const settings::RecordingZone zone(zone_name);
  EXPECT_EQ(InfoJson(records, zone), QtInfoJson(records, zone)) << zone_name;
}

TEST(InfoJson, SameBytesAsQtForTheSamplesUnderAwkwardNames) {
  test::TempDir dir;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(test::StandardSamplesDir()))
    files.push_back(test::CopyStandardSample(entry.path().filename().string(), dir.path()));
  ASSERT_GE(files.size(), 8u);
  for (std::size_t i = 0; i < kAwkwardTexts.size(); ++i) {
    std::string name = kAwkwardTexts[i];
    std::replace(name.begin(), name.end(), '\0', '0');
    if (name.empty()) continue;
    files.push_back(dir / (name + ".avi"));
    fs::copy_file(files[i % 8], files.back());
  }
  const fs::path truncated = dir / "truncated.avi";
  fs::copy_file(files.front(), truncated);
  fs::resize_file(truncated, 3000);
  files.push_back(truncated);
  files.push_back(dir / "gone.avi");

  std::vector<InfoRecord> records(files.size());
  for (std::size_t i = 0; i < files.size(); ++i)
    records[i].record = media::AnalyseFileAndDrift(files[i], test::PlainDatecodeFormat(), records[i].drift);
  ASSERT_TRUE(std::any_of(records.begin(), records.end(), [](const InfoRecord& r) { return r.drift.has_value(); }));

  // A datecode inside the hour skipped in spring, one after the file was
  // written, and one for a file that is gone.
  records[0].record.datecode = settings::DateTimeValue{2024, 3, 31, 2, 30, 0};
  records[1].record.datecode = settings::DateTimeValue{2099, 12, 31, 23, 59, 59};
  records.back().record.datecode = settings::DateTimeValue{2001, 1, 1, 0, 0, 1};
  ExpectSameBytes(records, "Etc/UTC");
  ExpectSameBytes(records, "Europe/Paris");
  const std::string paris = InfoJson(records, settings::RecordingZone("Europe/Paris"));
  EXPECT_NE(paris.find("\"recordedUtcNote\": \""), std::string::npos);
  EXPECT_NE(paris.find("\"datecodeSuspect\": \""), std::string::npos);
  ExpectSameBytes({}, "Etc/UTC");
}

TEST(InfoJson, SameBytesAsQtForExtremeFields) {
  std::vector<InfoRecord> records;
  const double kValues[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                            -0.0, 1e20, 0.0001, 30000.0 / 1001.0, 9007199254740993.0, -1e-7};
  for (std::size_t i = 0; i < kAwkwardTexts.size(); ++i) {
    const std::string& text = kAwkwardTexts[i];
    InfoRecord info;
    media::TAfficherFichier& r = info.record;
    r.name = r.fullName = r.nameKey = r.sizeKey = r.dateKey = r.datecodeKey = r.datecodeNameKey = text;
    r.datecodeText = r.timecodeText = r.codec = r.imageText = r.durationText = text;
    r.audioText = r.audioDurationText = r.audioFormatText = r.channelsText = text;
    r.exists = i % 2 == 0;
    r.sizeHigh = r.attributes = r.dvVideoSource = r.videoBitRate = UINT32_MAX;
    r.frames = i % 3 == 0 ? UINT64_MAX : i;
    r.dvType = r.width = INT32_MIN;
    r.sampleRate = r.bitsPerSample = INT32_MAX;
    r.durationSeconds = kValues[i % std::size(kValues)];
    r.fps = kValues[(i + 3) % std::size(kValues)];
    if (i % 4 != 1) info.drift = media::DvSoundDrift{i % 2 == 0, kValues[(i + 5) % std::size(kValues)]};
    records.push_back(info);
  }
  ExpectSameBytes(records, "Etc/UTC");
}

// Numbers and strings far past what the records hold, against QJsonDocument
// printing the same value alone in an array.
TEST(JsonWriter, NumbersAndStringsAsQtPrintsThem) {
  std::mt19937_64 random(28);
  const auto qt = [](const QJsonValue& value) {
    return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Indented).toStdString();
  };
  for (int i = 0; i < 40000; ++i) {
    double value = 0;
    if (i % 3 == 0) {
      const std::uint64_t bits = random();
      std::memcpy(&value, &bits, sizeof value);
    } else if (i % 3 == 1) {
      value = std::ldexp(static_cast<double>(random() % 1000000), static_cast<int>(random() % 140) - 70);
    } else {
      value = static_cast<double>(random() % 100000) * std::pow(10.0, static_cast<double>(random() % 50) - 25);
    }
    if (random() & 1) value = -value;
    JsonWriter writer;
    writer.BeginArray();
    writer.Double(value);
    writer.EndArray();
    ASSERT_EQ(writer.Text(), qt(value)) << std::hexfloat << value;
  }

  const std::vector<std::string> pieces = {"a", "\"", "\\", "\x01", "\x1f", "\x7f", "\n", "\xC3\xA9", "\xC3",
                                           "\xA9", "\xE2\x82\xAC", "\xE2\x82", "\xED\xA0\x80", "\xEF\xBB\xBF",
                                           "\xEF\xBF\xBF", "\xF0\x9F\x98\x80", "\xF0\x9F\x98", "\xF4\x90\x80\x80",
                                           "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xF5", "\xFF", "\x80",
                                           std::string(1, '\0')};
  for (int i = 0; i < 40000; ++i) {
    std::string text;
    for (std::uint64_t n = random() % 6; n > 0; --n) text += pieces[random() % pieces.size()];
    JsonWriter writer;
    writer.BeginArray();
    writer.String(text);
    writer.EndArray();
    ASSERT_EQ(writer.Text(), qt(QString::fromStdString(text))) << QByteArray::fromStdString(text).toHex().toStdString();
  }
}

}  // namespace
}  // namespace korvid::list
