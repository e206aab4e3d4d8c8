#include "resources/program_files.h"

#include <system_error>

namespace korvid::resources {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHelperFolder = "libexec/korvid";

bool IsFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

}  // namespace

fs::path RunningProgram() {
  std::error_code error;
  fs::path program = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : program;
}

fs::path FrontProgramFor(const fs::path& running) {
  // `korvid` may go by another name (a renamed copy); only the programs it
  // hands over to stand for it.
  if (running.filename() != kWindowProgramName && running.filename() != kRunnerProgramName) return running;
  const fs::path folder = running.parent_path();
  if (folder.filename() == "korvid" && folder.parent_path().filename() == "libexec")
    return folder.parent_path().parent_path() / "bin" / kFrontProgramName;
  return folder / kFrontProgramName;
}

fs::path FrontProgram() { return FrontProgramFor(RunningProgram()); }

fs::path HelperProgramFor(const fs::path& front, std::string_view name) {
  const fs::path beside = front.parent_path() / name;
  if (IsFile(beside) || front.parent_path().filename() != "bin") return beside;
  return front.parent_path().parent_path() / kHelperFolder / name;
}

}  // namespace korvid::resources
