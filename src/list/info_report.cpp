#include "list/info_report.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "list/dir_scan.h"
#include "list/json_writer.h"
#include "list/video_list.h"
#include "media/avi_stream_analysis.h"
#include "media/clock_plausibility.h"
#include "resources/printable_text.h"
#include "resources/string_table.h"
#include "settings/run_time_zone.h"

namespace korvid::list {

namespace {

// Sort keys may start with a marker byte that is not UTF-8.
void KeyText(JsonWriter& out, const std::string& key) {
  const auto first = key.empty() ? 0 : static_cast<unsigned char>(key.front());
  if (first == 0xFA || first == 0xFF)
    out.StringLatin1First(key);
  else
    out.String(key);
}

void IsoText(JsonWriter& out, const settings::DateTimeValue& value) {
  char text[64] = {};
  std::snprintf(text, sizeof text, "%.4d-%.2d-%.2dT%.2d:%.2d:%.2d", value.year, value.month, value.day,
                value.hour, value.minute, value.second);
  out.String(text);
}

void FileTime(JsonWriter& out, const media::TAfficherFichier& record, const settings::DateTimeValue& value) {
  if (record.exists)
    IsoText(out, value);
  else
    out.Null();
}

void TextOrNull(JsonWriter& out, const std::string& text) {
  if (text.empty())
    out.Null();
  else
    out.String(text);
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

// Members in key order, the order the reports have always printed.
void WriteRecord(JsonWriter& out, const InfoRecord& info, const settings::RecordingZone& zone) {
  const media::TAfficherFichier& r = info.record;
  const auto& drift = info.drift;
  const auto instant = r.datecode ? zone.ToUtc(*r.datecode) : std::nullopt;
  const std::string note = instant ? settings::EdgeNote(*r.datecode, *instant, zone.Name()) : std::string();
  // The listing reads the first frames only: the first scene has none before it.
  const std::string suspicion =
      r.datecode ? media::ClockSuspicion(*r.datecode, {std::nullopt, media::FileModifiedUtc(r.fullName)}, zone)
                 : std::string();

  out.BeginObject();
  FileTime(out.Key("accessed"), r, r.accessed);
  out.Key("attributes").Integer(r.attributes);
  out.Key("audioDriftMs");
  if (drift)
    out.Double(std::round(drift->drift_ms * 1000.0) / 1000.0);
  else
    out.Null();
  out.Key("audioDurationText").String(r.audioDurationText);
  out.Key("audioFormatText").String(r.audioFormatText);
  out.Key("audioLocked");
  if (drift)
    out.Bool(drift->locked);
  else
    out.Null();
  out.Key("audioText").String(r.audioText);
  out.Key("bitsPerSample").Integer(r.bitsPerSample);
  out.Key("channelsText").String(r.channelsText);
  out.Key("codec").String(r.codec);
  FileTime(out.Key("created"), r, r.created);
  KeyText(out.Key("dateKey"), r.dateKey);
  out.Key("datecode");
  if (r.datecode)
    IsoText(out, *r.datecode);
  else
    out.Null();
  KeyText(out.Key("datecodeKey"), r.datecodeKey);
  KeyText(out.Key("datecodeNameKey"), r.datecodeNameKey);
  TextOrNull(out.Key("datecodeSuspect"), suspicion);
  out.Key("datecodeText").String(r.datecodeText);
  out.Key("durationSeconds").Double(r.durationSeconds);
  out.Key("durationText").String(r.durationText);
  out.Key("dvType").Integer(r.dvType);
  out.Key("dvVideoSource").Integer(r.dvVideoSource);
  out.Key("exists").Bool(r.exists);
  out.Key("fps").Double(r.fps);
  out.Key("frames").Integer(static_cast<std::int64_t>(r.frames));
  out.Key("fullName").String(r.fullName);
  out.Key("hasSceneFile").Bool(r.hasSceneFile);
  out.Key("height").Integer(r.height);
  out.Key("imageText").String(r.imageText);
  out.Key("isDV").Bool(r.isDV);
  FileTime(out.Key("modified"), r, r.modified);
  out.Key("name").String(r.name);
  KeyText(out.Key("nameKey"), r.nameKey);
  out.Key("recordedUtc");
  if (instant)
    out.String(settings::UtcText(instant->utcSeconds));
  else
    out.Null();
  TextOrNull(out.Key("recordedUtcNote"), note);
  out.Key("sampleRate").Integer(r.sampleRate);
  out.Key("size").Integer(static_cast<std::int64_t>(r.Size()));
  out.Key("sizeHigh").Integer(r.sizeHigh);
  KeyText(out.Key("sizeKey"), r.sizeKey);
  out.Key("sizeLow").Integer(r.sizeLow);
  out.Key("timeZone").String(zone.Name());
  out.Key("timecodeText").String(r.timecodeText);
  out.Key("tvSystem").Integer(static_cast<int>(r.tvSystem));
  out.Key("videoBitRate").Integer(r.videoBitRate);
  out.Key("wideScreen").Bool(r.wideScreen);
  out.Key("width").Integer(r.width);
  out.EndObject();
}

}  // namespace

std::string InfoJson(const std::vector<InfoRecord>& records, const settings::RecordingZone& zone) {
  JsonWriter out;
  out.BeginArray();
  for (const InfoRecord& info : records) WriteRecord(out, info, zone);
  out.EndArray();
  return out.Take();
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
