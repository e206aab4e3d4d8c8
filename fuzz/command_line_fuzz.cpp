// Any parameters (the input cut at zero bytes) as a command line: the
// switch classification, the run kind, the visible run's plan and the
// unknown-letter check must give a verdict; no command is run. The last
// parameter also serves as a plug-in's switch text, which is untrusted too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "commands/builtin_actions.h"
#include "commands/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvid::commands;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parameters;
  for (std::size_t start = 0; start <= input.size() && parameters.size() < 32;) {
    const std::size_t end = std::min(input.find('\0', start), input.size());
    parameters.emplace_back(input.substr(start, end - start));
    start = end + 1;
  }
  SwitchTable table;
  for (const BuiltInAction& action : BuiltInActions())
    if (!action.switchText.empty()) table.push_back({std::string(action.switchText), std::string(action.name)});
  table.push_back({parameters.back(), "plugin"});

  (void)DecideRunKind(parameters);
  (void)ExamineVisibleRun(parameters);
  for (const std::string& parameter : parameters) {
    if (!IsSwitchParameter(parameter)) continue;
    (void)UnknownSwitchLetter(parameter, table);
    for (const SwitchEntry& entry : table) (void)SwitchHas(parameter, entry.switchText);
  }
  return 0;
}
