#pragma once
// A plug-in's file action as the rest of the program sees it: a
// tFileAction whose handlers build the C views of plugin.h, call the
// plug-in's C handlers and turn their answers back into ours. Nothing of
// C++ crosses into the plug-in, and nothing it throws could come back.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "commands/command_host.h"
#include "commands/file_action.h"
#include "commands/plugin_call_buffers.h"
#include "commands/process_flags.h"
#include "korvid/plugin.h"
#include "resources/user_error.h"
#include "settings/date_time_format.h"
#include "settings/preferences.h"

namespace korvid::commands {

// A failure a plug-in reported in its own words.
class PluginError : public UserError {
 public:
  using UserError::UserError;
};

// What plug-in handlers may ask of the program while they run. Read at
// call time, so a changed renaming format applies at once.
struct PluginServices {
  CommandHost& host;
  ProcessFlags& flags;
  const settings::Preferences& preferences;
  settings::LocaleFormats locale;
  PluginCallBuffers buffers{KORVID_PLUGIN_TEXT_BUFFER_BYTES};
};

// A text a plug-in handed out by address: at most the first
// KORVID_PLUGIN_TEXT_MAX_CHARS bytes, never read further; "" for null.
std::string PluginText(const char* text);

// A text export's answer in the buffer it was given: the text up to its
// zero byte, kept as PluginText keeps it; nothing when the buffer holds no
// zero byte (the caller fills it with non-zero bytes before the call).
std::optional<std::string> PluginAnswerText(std::span<const char> buffer);

// Why a library answering `type` is not one of ours; empty when it is.
std::string PluginTypeFault(std::string_view type);

// Why a library declaring `count` actions is skipped; empty when it is not.
std::string PluginCountFault(std::int32_t count);

// The interface version of a library without GETPLUGIN_ABIVERSION: every
// library built before that export came.
inline constexpr std::int32_t kUnversionedPluginAbi = 2;

// Why a library built for interface `version` is skipped; empty when it is not.
std::string PluginAbiFault(std::int32_t version);

// The action's fields, copied for the size the plug-in declared (the
// fields it did not know stay zero). The caller has checked that size.
korvid_file_action CopyPluginAction(const korvid_file_action& declared);

// The smallest korvid_file_action a plug-in may declare: the first version.
inline constexpr std::uint32_t kMinPluginActionBytes = sizeof(korvid_file_action);

// Why the declared action cannot be used; empty when it can.
std::string PluginActionFault(const korvid_file_action* declared);

// A tFileAction calling `declared`'s handlers. `services` must outlive it.
tFileAction MakePluginFileAction(const korvid_file_action& declared, PluginServices& services);

}  // namespace korvid::commands
