// Any answers a plug-in could give: the texts of its exports (with or
// without their end), its type and action count, the fields of a declared
// action and what its handlers write back. The bridge must keep at most
// the allowed bytes, never read past a buffer, and accept or refuse with a
// reason. No library is loaded: the answers come from the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "commands/headless_host.h"
#include "commands/plugin_bridge.h"
#include "commands/runners.h"
#include "fuzz/byte_reader.h"

namespace {

using korvid::fuzz::ByteReader;

// What the handlers write into a call, reached through the action's param.
struct HandlerAnswer {
  std::vector<char> text;
  std::vector<char> error;
  bool fillText = false;  // the whole buffer, without an end
  std::int32_t update = 0;
  std::int32_t visible = 0;
  std::int32_t enabled = 0;
};

void Write(const std::vector<char>& answer, bool fill, char* out, std::uint32_t bytes) {
  if (fill) {
    std::memset(out, answer.empty() ? 'x' : (answer.front() | 1), bytes);
    return;
  }
  if (!answer.empty()) std::memcpy(out, answer.data(), std::min<std::size_t>(answer.size(), bytes));
}

void Handler(korvid_call* call) {
  const HandlerAnswer& answer = *static_cast<const HandlerAnswer*>(call->param->data);
  Write(answer.text, answer.fillText, call->text, call->text_bytes);
  Write(answer.error, false, call->error, call->error_bytes);
  call->update = answer.update;
  call->visible = answer.visible;
  call->enabled = answer.enabled;
}

// A text field as a plug-in may hand it out: null, or exactly the most
// bytes the bridge may read, with or without a zero among them.
const char* TextField(ByteReader& in, std::vector<char>& storage) {
  const std::uint8_t length = in.Byte();
  if (length == 0) return nullptr;
  storage.assign(KORVID_PLUGIN_TEXT_MAX_CHARS, static_cast<char>(in.Byte()));
  const auto run = in.Run(length);
  if (!run.empty()) std::memcpy(storage.data(), run.data(), run.size());
  return storage.data();
}

std::vector<char> Bytes(ByteReader& in) {
  const auto run = in.Run(in.Byte());
  return {run.begin(), run.end()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvid::commands;
  ByteReader in({data, size});

  // A text export's answer, in a buffer preset without any zero byte.
  std::vector<char> buffer(KORVID_PLUGIN_TEXT_BUFFER_BYTES, '\x7F');
  const auto answerRun = in.Run(in.Uint32() % 1024);
  if (!answerRun.empty()) std::memcpy(buffer.data(), answerRun.data(), answerRun.size());
  if (const auto text = PluginAnswerText(buffer)) (void)PluginTypeFault(*text);
  (void)PluginCountFault(in.Int32());

  korvid_file_action declared{};
  declared.struct_size = in.Uint32();
  std::vector<char> texts[6];
  declared.name = TextField(in, texts[0]);
  declared.caption = TextField(in, texts[1]);
  declared.mono_message = TextField(in, texts[2]);
  declared.shortcut = TextField(in, texts[3]);
  declared.switch_text = TextField(in, texts[4]);
  declared.modele = TextField(in, texts[5]);
  declared.tag = in.Int32();
  const auto key = in.Run(sizeof(declared.param.key));
  if (!key.empty()) std::memcpy(declared.param.key, key.data(), key.size());
  HandlerAnswer answer;
  declared.param.data = &answer;
  declared.param.data_size = sizeof(answer);
  const std::uint8_t handlers = in.Byte();
  declared.on_confirmation = (handlers & 1) != 0 ? &Handler : nullptr;
  declared.on_execution = (handlers & 2) != 0 ? &Handler : nullptr;
  declared.on_file_condition = (handlers & 4) != 0 ? &Handler : nullptr;
  declared.on_general_condition = (handlers & 8) != 0 ? &Handler : nullptr;
  answer.fillText = (handlers & 16) != 0;
  answer.update = in.Int32();
  answer.visible = in.Int32();
  answer.enabled = in.Int32();
  answer.text = Bytes(in);
  answer.error = Bytes(in);

  (void)PluginActionFault(nullptr);
  if (!PluginActionFault(&declared).empty()) return 0;

  std::ostringstream messages;
  HeadlessHost host(messages, false);
  ProcessFlags flags;
  const korvid::settings::Preferences preferences;
  PluginServices services{host, flags, preferences, korvid::settings::EnglishLocaleFormats()};
  const tFileAction action = MakePluginFileAction(declared, services);
  (void)FormatMonoMessage(action.MonoMessage, "clip.avi");

  korvid::media::TAfficherFichier entry;
  entry.fullName = "/nonexistent/korvid-fuzz/clip.avi";
  entry.name = "clip.avi";
  std::string text;
  if (action.OnConfirmation) action.OnConfirmation(action.Param, entry, text);
  if (action.OnExecution) {
    TchUpdateType update = utNone;
    try {
      action.OnExecution(action.Param, entry, text, update);
    } catch (const PluginError&) {
    }
  }
  bool visible = true, enabled = true;
  if (action.OnFileCondition) action.OnFileCondition(action.Param, entry, visible, enabled);
  if (action.OnGeneralCondition) action.OnGeneralCondition(action.Param, visible);
  return 0;
}
