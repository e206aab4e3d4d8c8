#include "list/info_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QString>

#include <algorithm>
#include <cmath>
#include <optional>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "list/dir_scan.h"
#include "list/video_list.h"
#include "media/avi_stream_analysis.h"
#include "media/clock_plausibility.h"
#include "resources/printable_text.h"
#include "resources/string_table.h"
#include "settings/run_time_zone.h"

namespace korvid::list {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

// Sort keys may start with a marker byte that is not UTF-8.
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

std::string CodecColumn(const media::TAfficherFichier& record) {
  std::string text = record.codec.empty() ? std::string(media::kNotAvailableText) : record.codec;
  if (record.isDV && record.dvType > 0) text += " type " + std::to_string(record.dvType);
  return text;
}

std::string FpsColumn(double fps) {
  if (fps <= 0) return std::string(media::kNotAvailableText);
  char text[32] = {};
  std::snprintf(text, sizeof text, "%.2f", fps);
  return text;
}

// Characters, not bytes, so that accented names keep the columns straight.
std::size_t DisplayWidth(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

void AddSoundDrift(QJsonObject& o, const std::optional<media::DvSoundDrift>& drift) {
  o["audioLocked"] = drift ? QJsonValue(drift->locked) : QJsonValue(QJsonValue::Null);
  o["audioDriftMs"] = drift ? QJsonValue(std::round(drift->drift_ms * 1000.0) / 1000.0) : QJsonValue(QJsonValue::Null);
}

}  // namespace

QJsonObject RecordJson(const InfoRecord& info) {
  const media::TAfficherFichier& r = info.record;
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
  o["datecode"] = r.datecode ? QJsonValue(IsoText(*r.datecode)) : QJsonValue(QJsonValue::Null);
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
  AddSoundDrift(o, info.drift);
  return o;
}

QJsonObject RecordJson(const InfoRecord& info, const settings::RecordingZone& zone) {
  const media::TAfficherFichier& record = info.record;
  QJsonObject o = RecordJson(info);
  const QJsonValue none(QJsonValue::Null);
  const auto instant = record.datecode ? zone.ToUtc(*record.datecode) : std::nullopt;
  const std::string note = instant ? settings::EdgeNote(*record.datecode, *instant, zone.Name()) : std::string();
  o["recordedUtc"] = instant ? QJsonValue(Text(settings::UtcText(instant->utcSeconds))) : none;
  o["recordedUtcNote"] = note.empty() ? none : QJsonValue(Text(note));
  o["timeZone"] = Text(zone.Name());
  // The listing reads the first frames only: the first scene has none before it.
  const std::string suspicion =
      record.datecode
          ? media::ClockSuspicion(*record.datecode, {std::nullopt, media::FileModifiedUtc(record.fullName)}, zone)
          : std::string();
  o["datecodeSuspect"] = suspicion.empty() ? none : QJsonValue(Text(suspicion));
  return o;
}

std::string InfoJson(const std::vector<InfoRecord>& records, const settings::RecordingZone& zone) {
  QJsonArray array;
  for (const InfoRecord& info : records) array.append(RecordJson(info, zone));
  return QJsonDocument(array).toJson(QJsonDocument::Indented).toStdString();
}

std::string InfoTable(const std::vector<media::TAfficherFichier>& records) {
  using Row = std::vector<std::string>;
  std::vector<Row> rows;
  rows.push_back({"Name", "Datecode", "Timecode", "Codec", "Image", "Duration", "Fps", "Audio"});
  for (const media::TAfficherFichier& r : records)
    rows.push_back({resources::Printable(r.name), r.datecodeText, r.timecodeText, CodecColumn(r), r.imageText,
                    r.durationText.empty() ? std::string(media::kNotAvailableText) : r.durationText,
                    FpsColumn(r.fps), r.audioText});

  std::vector<std::size_t> widths(rows.front().size(), 0);
  for (const Row& row : rows)
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], DisplayWidth(row[c]));

  std::string text;
  for (const Row& row : rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      line += row[c];
      if (c + 1 < row.size()) line += std::string(widths[c] - DisplayWidth(row[c]) + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    text += line + '\n';
  }
  return text;
}

InfoPaths InfoFiles(const std::vector<std::string>& paths) {
  InfoPaths result;
  for (const std::string& path : paths) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status)) {
      result.missing.push_back(path);
      continue;
    }
    if (std::filesystem::is_regular_file(status)) {
      result.files.push_back(path);
      continue;
    }
    if (!std::filesystem::is_directory(status)) {
      result.notRegular.push_back(path);
      continue;
    }
    std::vector<std::string> found;
    TDirscan scanner;
    scanner.recursive = true;
    scanner.SetDirectory(path);
    scanner.OnFileFound = [&found](TDirscan&, const std::string& file) {
      if (IsAdmissiblePath(file)) found.push_back(file);
    };
    scanner.OnOtherFound = [&result](TDirscan&, const std::string& file) {
      if (IsAdmissiblePath(file)) result.notRegular.push_back(file);
    };
    scanner.Scan();
    std::sort(found.begin(), found.end());
    result.files.insert(result.files.end(), found.begin(), found.end());
  }
  return result;
}

int RunInfoCommand(const std::vector<std::string>& arguments, const media::DatecodeFormat& format,
                   std::ostream& out, std::ostream& err) {
  bool json = false;
  bool options_done = false;
  std::vector<std::string> paths;
  for (const std::string& argument : arguments) {
    if (!options_done && argument == "--json") {
      json = true;
    } else if (!options_done && argument == "--") {
      options_done = true;
    } else {
      paths.push_back(argument);
    }
  }
  if (paths.empty()) {
    err << "korvid: --info needs at least one file or folder\n";
    return 2;
  }

  const std::optional<settings::RecordingZone> zone = settings::ZoneForThisReport(err);
  if (!zone) return 2;

  const InfoPaths found = InfoFiles(paths);
  for (const std::string& path : found.missing)
    err << resources::FileErrorLine(path, resources::Str(resources::Text::kPathNotFound));
  for (const std::string& path : found.notRegular)
    err << resources::FileErrorLine(path, resources::Str(resources::Text::kNotRegularFile));

  if (json) {
    std::vector<InfoRecord> records(found.files.size());
    for (std::size_t i = 0; i < records.size(); ++i)
      records[i].record = media::AnalyseFileAndDrift(found.files[i], format, records[i].drift);
    out << InfoJson(records, *zone);
  } else {
    std::vector<media::TAfficherFichier> records;
    records.reserve(found.files.size());
    for (const std::string& file : found.files) records.push_back(media::AnalyseFile(file, format));
    out << InfoTable(records);
  }
  out.flush();
  return found.missing.empty() && found.notRegular.empty() ? 0 : 1;
}

}  // namespace korvid::list
