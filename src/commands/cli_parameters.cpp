#include "commands/cli_parameters.h"

#include <sys/stat.h>

#include "list/file_sources.h"
#include "media/named_path.h"
#include "media/video_record.h"
#include "resources/printable_text.h"
#include "resources/string_table.h"
#include "settings/process_flags.h"

namespace korvid::commands {
namespace {

constexpr std::string_view kHelpParameter = "/?";

// Anything at all, a dangling link included.
bool Exists(std::string_view path) {
  struct stat facts {};
  return ::lstat(std::string(path).c_str(), &facts) == 0;
}

}  // namespace

bool IsSwitchParameter(std::string_view parameter) {
  if (parameter.empty() || parameter.find('.') != std::string_view::npos || Exists(parameter)) return false;
  return parameter.front() == '+' || parameter == kHelpParameter;
}

bool SwitchHas(std::string_view parameter, std::string_view text) {
  return !text.empty() && media::AsciiLower(parameter).find(media::AsciiLower(text)) != std::string::npos;
}

RunKind DecideRunKind(const std::vector<std::string>& parameters) {
  if (parameters.empty()) return RunKind::kNone;
  for (const std::string& parameter : parameters)
    if (IsSwitchParameter(parameter) && SwitchHas(parameter, "h")) return RunKind::kHidden;
  return RunKind::kVisible;
}

VisibleRunPlan ExamineVisibleRun(const std::vector<std::string>& parameters) {
  VisibleRunPlan plan;
  for (const std::string& parameter : parameters) {
    if (!IsSwitchParameter(parameter)) continue;
    if (SwitchHas(parameter, "?")) {
      plan.help = true;
      return plan;
    }
    if (SwitchHas(parameter, "m")) plan.noConfirmation = true;
    if (SwitchHas(parameter, "c")) plan.closeAfterCommands = true;
  }
  return plan;
}

ListedParameters ListParameters(list::VideoList& list, const std::vector<std::string>& parameters,
                                const UnusableParameter& unusable) {
  ListedParameters listed;
  list.BeginBatch(std::string(resources::Str(resources::Text::kLoadingFiles)));
  for (const std::string& parameter : parameters) {
    if (settings::Flags().Stopping()) break;
    if (IsSwitchParameter(parameter)) continue;
    bool folder = false;
    if (const resources::Text why = media::NamedPathFault(parameter, folder); why != resources::Text::kCount) {
      listed.unusable = true;
      if (unusable) unusable(parameter, std::string(resources::Str(why)));
    } else if (folder) {
      if (!list::ScanInBatch(list, parameter, false)) break;
    } else if (const int index = list.AddFile(parameter); index >= 0) {
      listed.named.insert(list.Entry(index).record->fullName);
    }
  }
  list.EndBatch();
  return listed;
}

}  // namespace korvid::commands
