// "Split into scenes": a Korvid plug-in that writes one AVI per scene of a
// video's scene file, each named after the recording date of its first
// frame (a scene without a real one after the video and its number). The
// DV frames and sound chunks are copied unchanged, dropped frames mended
// as conversions mend them, so the scenes put back together are the
// source, bit for bit.

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "korvid/plugin.h"
#include "split_scenes/scene_split.h"

namespace {

namespace fs = std::filesystem;
using korvid::split::SplitError;

void WriteText(std::string_view text, char* out, std::size_t bytes) {
  if (out == nullptr || bytes == 0) return;
  const std::size_t n = std::min(text.size(), bytes - 1);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

// A video whose name differs from another's of its folder only in the case
// of its extension keeps its scene file under its whole name (clip.AVI.scn).
fs::path SceneFileOf(const korvid_file_info& file) {
  fs::path whole = std::string(file.full_name) + ".scn";
  std::error_code ignored;
  if (fs::exists(whole, ignored)) return whole;
  return fs::path(file.full_name).replace_extension(".scn");
}

bool HostUsable(const korvid_call& call) {
  return call.host != nullptr && call.host->struct_size >= sizeof(korvid_host) && call.file != nullptr;
}

// A scene without a real recording date keeps the source's name with its number.
fs::path PlaceUndated(const fs::path& written, const fs::path& source, int number) {
  const std::string base = (source.parent_path() / source.stem()).string() + "_scene" + std::to_string(number);
  for (int n = 0; n < 1000; ++n) {
    const std::string target = base + (n == 0 ? "" : "(" + std::to_string(n) + ")") + ".avi";
    // link refuses an existing target, so nothing is ever replaced.
    if (::link(written.c_str(), target.c_str()) == 0) {
      ::unlink(written.c_str());
      return target;
    }
    if (errno != EEXIST) break;
  }
  throw SplitError("cannot name " + written.string() + ": " + std::strerror(errno));
}

void SplitConfirmation(korvid_call* call) {
  if (call->file == nullptr) return;
  const std::string name = call->file->name != nullptr ? call->file->name : "";
  std::string question;
  try {
    const std::size_t scenes = korvid::split::ReadSceneStarts(SceneFileOf(*call->file)).size();
    question = "Do you want to split " + name + " into " + std::to_string(scenes) + " files, one per scene?";
  } catch (const SplitError&) {
    question = "Do you want to split " + name + " into one file per scene?";
  }
  if (question.size() > KORVID_PLUGIN_TEXT_MAX_CHARS) question = "Do you want to split this video into one file per scene?";
  WriteText(question, call->text, call->text_bytes);
}

void SplitFileCondition(korvid_call* call) {
  const bool hasScenes = call->file != nullptr && call->file->has_scene_file != 0;
  call->visible = call->enabled = hasScenes ? 1 : 0;
}

void SplitExecution(korvid_call* call) {
  call->update = KORVID_UPDATE_NONE;
  if (!HostUsable(*call)) {
    WriteText("this version of Korvid is too old for the plug-in", call->error, call->error_bytes);
    return;
  }
  try {
    const fs::path source(call->file->full_name);
    const korvid_host& host = *call->host;
    int number = 0;
    korvid::split::SplitHooks hooks;
    hooks.progress = [&host](int percent) { return host.progress(host.context, percent) != 0; };
    hooks.place = [&](const korvid::split::WrittenScene& scene) -> fs::path {
      ++number;
      if (!scene.datecode) return PlaceUndated(scene.file, source, number);
      const korvid::media::TDatecode& d = *scene.datecode;
      const korvid_date_time when{d.year, d.month, d.day, d.hour, d.minute, d.second};
      std::string out(4096, '\0');
      const bool failed = host.move_to_datecode_name(host.context, scene.file.c_str(), &when, out.data(),
                                                     static_cast<std::uint32_t>(out.size())) != 0;
      out.resize(::strnlen(out.c_str(), out.size()));
      if (failed) throw SplitError(out);
      return out;
    };
    const korvid::split::SplitResult result = korvid::split::SplitIntoScenes(
        source, korvid::split::ReadSceneStarts(SceneFileOf(*call->file)), source.parent_path(), hooks);
    // Conversions mend dropped frames the same way and say so; so does the split.
    if (result.framesReplaced > 0) {
      const std::string report = source.string() + ": " + std::to_string(result.placed.size()) +
                                 " scenes written; " + std::to_string(result.framesReplaced) +
                                 " damaged frames were replaced by the frame next to them.";
      host.warn(host.context, report.c_str());
    }
  } catch (const std::exception& e) {
    WriteText(e.what(), call->error, call->error_bytes);
  }
}

const korvid_file_action kSplitScenes = {
    sizeof(korvid_file_action),
    "SplitScenes",
    "Split into scenes",
    "Splitting \"%s\" into scenes",
    nullptr,
    "u",
    nullptr,
    KORVID_MENU_SCENES,
    {},
    &SplitConfirmation,
    &SplitExecution,
    &SplitFileCondition,
    nullptr,
};

}  // namespace

extern "C" {

KORVID_PLUGIN_EXPORT void GETPLUGIN_TYPE(char* buffer, std::int32_t size) {
  WriteText(KORVID_PLUGIN_TYPE, buffer, static_cast<std::size_t>(size));
}

KORVID_PLUGIN_EXPORT void GETPLUGIN_ABIVERSION(std::int32_t* version) { *version = KORVID_PLUGIN_ABI_VERSION; }

KORVID_PLUGIN_EXPORT void GETPLUGIN_VERSION(char* buffer, std::int32_t size) {
  WriteText("Split into scenes 1.0", buffer, static_cast<std::size_t>(size));
}

KORVID_PLUGIN_EXPORT void GETPLUGIN_DESCRIPTION(char* buffer, std::int32_t size) {
  WriteText("Writes one AVI file per scene of a video's scn file, named after the scene's recording date; "
            "the DV frames and the sound are copied unchanged.",
            buffer, static_cast<std::size_t>(size));
}

KORVID_PLUGIN_EXPORT void GETPLUGIN_NBFILEACTION(std::int32_t* count) { *count = 1; }

KORVID_PLUGIN_EXPORT void GETPLUGIN_FILEACTIONFUNCTION(std::int32_t index, const korvid_file_action** action) {
  *action = index == 0 ? &kSplitScenes : nullptr;
}

}  // extern "C"
