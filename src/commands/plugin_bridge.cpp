#include "commands/plugin_bridge.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "commands/rename_commands.h"
#include "media/video_record.h"
#include "resources/string_table.h"

namespace korvid::commands {
namespace {

constexpr std::size_t kTextBytes = KORVID_PLUGIN_TEXT_BUFFER_BYTES;

korvid_date_time CDateTime(const settings::DateTimeValue& value) {
  return {value.year, value.month, value.day, value.hour, value.minute, value.second};
}

settings::DateTimeValue DateTimeOf(const korvid_date_time& value) {
  return {value.year, value.month, value.day, value.hour, value.minute, value.second};
}

std::int32_t CTvSystem(media::TvSystem system) {
  switch (system) {
    case media::TvSystem::kPal:
      return KORVID_TV_PAL;
    case media::TvSystem::kNtsc:
      return KORVID_TV_NTSC;
    case media::TvSystem::kUnknown:
      break;
  }
  return KORVID_TV_UNKNOWN;
}

// Points into `entry`, which outlives the call.
korvid_file_info FileInfoOf(const media::TAfficherFichier& entry) {
  korvid_file_info info{};
  info.struct_size = sizeof(korvid_file_info);
  info.full_name = entry.fullName.c_str();
  info.name = entry.name.c_str();
  info.size_bytes = entry.Size();
  info.read_only = entry.IsReadOnly() ? 1 : 0;
  info.has_datecode = entry.datecode ? 1 : 0;
  if (entry.datecode) info.datecode = CDateTime(*entry.datecode);
  info.datecode_text = entry.datecodeText.c_str();
  info.timecode_text = entry.timecodeText.c_str();
  info.codec = entry.codec.c_str();
  info.is_dv = entry.isDV ? 1 : 0;
  info.dv_type = entry.dvType;
  info.tv_system = CTvSystem(entry.tvSystem);
  info.width = entry.width;
  info.height = entry.height;
  info.frames = entry.frames;
  info.fps = entry.fps;
  info.duration_seconds = entry.durationSeconds;
  info.sample_rate = entry.sampleRate;
  info.bits_per_sample = entry.bitsPerSample;
  info.has_scene_file = entry.hasSceneFile ? 1 : 0;
  return info;
}

korvid_param CParam(const TParam& param) {
  korvid_param out{};
  const std::size_t bytes = std::min(param.Key.size(), sizeof(out.key) - 1);
  std::memcpy(out.key, param.Key.data(), bytes);
  out.data_size = param.DataSize;
  out.data = param.Data;
  return out;
}

TParam ParamOf(const korvid_param& param) {
  return {.Key = std::string(param.key, ::strnlen(param.key, sizeof(param.key))),
          .DataSize = param.data_size,
          .Data = param.data};
}

void WriteOut(std::string_view text, char* out, std::uint32_t bytes) {
  if (out == nullptr || bytes == 0) return;
  const std::string cut = CutUtf8(text, bytes - 1);
  std::memcpy(out, cut.data(), cut.size());
  out[cut.size()] = '\0';
}

PluginServices& ServicesOf(void* context) { return *static_cast<PluginServices*>(context); }

std::int32_t Progress(void* context, std::int32_t percent) {
  try {
    PluginServices& services = ServicesOf(context);
    services.host.SetGauge(std::clamp(percent, 0, 100));
    services.host.ProcessEvents(0);
    return services.flags.AbortCommand ? 1 : 0;
  } catch (...) {
    return 1;  // nothing may be thrown into the plug-in; stopping is the safe answer
  }
}

std::int32_t MoveToDatecodeName(void* context, const char* written, const korvid_date_time* datecode, char* out,
                                std::uint32_t outBytes) {
  try {
    if (written == nullptr || datecode == nullptr) return 1;
    PluginServices& services = ServicesOf(context);
    const std::string from(written);
    // Named exactly as "Rename" names a video after its datecode.
    media::TAfficherFichier named;
    named.fullName = from;
    named.datecode = DateTimeOf(*datecode);
    const std::string base = RenameScAnBase(named, {services.preferences, services.locale, services.host});
    if (base.empty()) {
      WriteOut(resources::Fill(resources::Text::kPluginNotNamed,
                               {from, resources::Str(resources::Text::kPluginNameLeavesFolder)}),
               out, outBytes);
      return 1;
    }
    const std::string extension = ExtensionOf(from);
    for (int attempt = 0; attempt < 16; ++attempt) {
      const std::string target = UniqueTargetName(base, extension) + extension;
      const MoveOutcome moved = MoveNoReplace(from, target);
      if (moved == MoveOutcome::kMoved) {
        WriteOut(target, out, outBytes);
        return 0;
      }
      if (moved == MoveOutcome::kFailed) break;
    }
    WriteOut(resources::Fill(resources::Text::kPluginNotNamed, {from, std::strerror(errno)}), out, outBytes);
    return 1;
  } catch (const std::exception& e) {
    WriteOut(e.what(), out, outBytes);
    return 1;
  } catch (...) {
    return 1;
  }
}

void Warn(void* context, const char* text) {
  try {
    if (text == nullptr) return;
    const std::string said = CutUtf8(std::string_view(text, ::strnlen(text, kTextBytes)), kTextBytes - 1);
    if (!said.empty()) ServicesOf(context).host.Ask(MessageKind::kWarning, said, Buttons::kOk);
  } catch (...) {
    // nothing may be thrown into the plug-in; the warning is lost
  }
}

// The buffers and views of one handler call.
class Call {
 public:
  Call(const TParam& param, const media::TAfficherFichier* entry, PluginServices& services)
      : param_(CParam(param)), buffers_(services.buffers.Take()) {
    if (entry != nullptr) info_ = FileInfoOf(*entry);
    host_ = {sizeof(korvid_host), &services, &Progress, &MoveToDatecodeName, &Warn};
    call_ = {sizeof(korvid_call), &param_, entry != nullptr ? &info_ : nullptr, &host_, 1, 1, KORVID_UPDATE_NONE,
             buffers_->text.data(), static_cast<std::uint32_t>(buffers_->text.size()), buffers_->error.data(),
             static_cast<std::uint32_t>(buffers_->error.size())};
  }
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  korvid_call* operator->() { return &call_; }
  korvid_call* get() { return &call_; }
  // The buffers as texts; a plug-in that filled one to the end loses its
  // last byte rather than making us read past it.
  std::string Text() { return Terminated(buffers_->text); }
  std::string Error() { return Terminated(buffers_->error); }

 private:
  static std::string Terminated(std::vector<char>& buffer) {
    buffer.back() = '\0';
    return buffer.data();
  }

  korvid_param param_;
  korvid_file_info info_{};
  korvid_host host_{};
  PluginCallBuffers::Lease buffers_;
  korvid_call call_{};
};

TchUpdateType UpdateOf(std::int32_t value) {
  return value >= utNone && value <= utRename ? static_cast<TchUpdateType>(value) : utNone;
}

}  // namespace

std::string PluginText(const char* text) {
  if (text == nullptr) return {};
  return CutUtf8(std::string_view(text, ::strnlen(text, KORVID_PLUGIN_TEXT_MAX_CHARS)),
                 KORVID_PLUGIN_TEXT_MAX_CHARS);
}

std::optional<std::string> PluginAnswerText(std::span<const char> buffer) {
  if (std::memchr(buffer.data(), '\0', buffer.size()) == nullptr) return std::nullopt;
  return PluginText(buffer.data());
}

std::string PluginTypeFault(std::string_view type) {
  if (media::AsciiLower(type) == KORVID_PLUGIN_TYPE) return {};
  return resources::Fill(resources::Text::kPluginWrongType, {CutUtf8(type, 40)});
}

std::string PluginCountFault(std::int32_t count) {
  if (count >= 0 && count <= KORVID_PLUGIN_MAX_ACTIONS) return {};
  return resources::Fill(resources::Text::kPluginActionCount,
                         {std::to_string(count), std::to_string(KORVID_PLUGIN_MAX_ACTIONS)});
}

std::string PluginAbiFault(std::int32_t version) {
  if (version >= KORVID_PLUGIN_MIN_ABI_VERSION && version <= KORVID_PLUGIN_ABI_VERSION) return {};
  if (version == 0) return std::string(resources::Str(resources::Text::kPluginAbiUnset));
  return resources::Fill(resources::Text::kPluginAbiVersion,
                         {std::to_string(version), std::to_string(KORVID_PLUGIN_MIN_ABI_VERSION),
                          std::to_string(KORVID_PLUGIN_ABI_VERSION)});
}

korvid_file_action CopyPluginAction(const korvid_file_action& declared) {
  korvid_file_action copy{};
  std::memcpy(&copy, &declared, std::min<std::size_t>(declared.struct_size, sizeof(copy)));
  return copy;
}

std::string PluginActionFault(const korvid_file_action* declared) {
  using resources::Text;
  if (declared == nullptr) return std::string(resources::Str(Text::kPluginActionMissing));
  if (declared->struct_size < kMinPluginActionBytes)
    return resources::Fill(Text::kPluginActionTooSmall,
                           {std::to_string(declared->struct_size), std::to_string(kMinPluginActionBytes)});
  if (PluginText(declared->name).empty()) return std::string(resources::Str(Text::kPluginActionNoName));
  const bool anyHandler = declared->on_confirmation != nullptr || declared->on_execution != nullptr ||
                          declared->on_file_condition != nullptr || declared->on_general_condition != nullptr;
  if (!anyHandler && PluginText(declared->modele).empty())
    return std::string(resources::Str(Text::kPluginActionNoHandler));
  return {};
}

tFileAction MakePluginFileAction(const korvid_file_action& declared, PluginServices& services) {
  const korvid_file_action plugin = CopyPluginAction(declared);
  tFileAction action(PluginText(plugin.name));
  action.Tag = plugin.tag;
  action.Param = ParamOf(plugin.param);
  action.Modele = PluginText(plugin.modele);
  action.MonoMessage = PluginText(plugin.mono_message);
  action.Caption = PluginText(plugin.caption);
  action.SetShortcut(PluginText(plugin.shortcut));
  action.SetSwitch(PluginText(plugin.switch_text));
  PluginServices* const context = &services;

  if (korvid_handler handler = plugin.on_confirmation) {
    action.OnConfirmation = [handler, context](const TParam& param, const media::TAfficherFichier& fichier,
                                               std::string& confirmMsg) {
      Call call(param, &fichier, *context);
      handler(call.get());
      confirmMsg = CutUtf8(call.Text(), KORVID_PLUGIN_TEXT_MAX_CHARS);
    };
  }
  if (korvid_handler handler = plugin.on_execution) {
    action.OnExecution = [handler, context](const TParam& param, const media::TAfficherFichier& fichier,
                                            std::string& newfichier, TchUpdateType& update) {
      Call call(param, &fichier, *context);
      handler(call.get());
      const std::string error = call.Error();
      if (!error.empty()) throw PluginError(CutUtf8(error, 4096));
      update = UpdateOf(call->update);
      newfichier = call.Text();
    };
  }
  if (korvid_handler handler = plugin.on_file_condition) {
    action.OnFileCondition = [handler, context](const TParam& param, const media::TAfficherFichier& fichier,
                                                bool& visible, bool& enabled) {
      Call call(param, &fichier, *context);
      call->visible = visible ? 1 : 0;
      call->enabled = enabled ? 1 : 0;
      handler(call.get());
      visible = call->visible != 0;
      enabled = call->enabled != 0;
    };
  }
  if (korvid_handler handler = plugin.on_general_condition) {
    action.OnGeneralCondition = [handler, context](const TParam& param, bool& visible) {
      Call call(param, nullptr, *context);
      call->visible = visible ? 1 : 0;
      handler(call.get());
      visible = call->visible != 0;
    };
  }
  return action;
}

}  // namespace korvid::commands
