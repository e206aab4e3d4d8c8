#include "support/dvgrab.h"

#include "support/test_env.h"

namespace korvid::test {

std::filesystem::path RunDvgrab(const std::filesystem::path& dv, const std::string& format, bool opendml,
                                const std::string& prefix) {
  constexpr int kTries = 5;
  const std::filesystem::path output = prefix + "001.avi";
  const std::string command = "timeout -s KILL 8 dvgrab -input '" + dv.string() + "' -format " + format +
                              (opendml ? " -opendml " : " ") + "'" + prefix + "' </dev/null >/dev/null 2>&1";
  for (int attempt = 0; attempt < kTries; ++attempt) {
    std::error_code ignored;
    std::filesystem::remove(output, ignored);
    if (RunCommand({"sh", "-c", command}).exit_code == 0 && std::filesystem::exists(output)) return output;
  }
  return {};
}

}  // namespace korvid::test
