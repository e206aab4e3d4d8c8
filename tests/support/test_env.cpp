#include "support/test_env.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

namespace korvid::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "korvid-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path RealFixturesDir() {
  std::filesystem::path dir;
  if (const char* env = std::getenv("KORVID_REAL_FIXTURES"); env != nullptr && *env != '\0') {
    dir = env;
  } else {
    dir = std::filesystem::path(KORVID_SOURCE_DIR).parent_path() / "shared" / "fixtures" / "real";
  }
  std::error_code ec;
  return std::filesystem::is_directory(dir, ec) ? dir : std::filesystem::path();
}

bool StrictTests() {
  const char* strict = std::getenv("KORVID_STRICT_TESTS");
  return strict != nullptr && std::string_view(strict) == "1";
}

bool RealFixturesNamed() {
  const char* named = std::getenv("KORVID_REAL_FIXTURES");
  return named != nullptr && *named != '\0';
}

std::string MissingRealFixtures() {
  if (!RealFixturesDir().empty()) return {};
  if (RealFixturesNamed())
    return std::string("real camcorder frames not found at ") + std::getenv("KORVID_REAL_FIXTURES");
  return "real camcorder frames not found (set KORVID_REAL_FIXTURES or place them at ../shared/fixtures/real)";
}

std::string MissingProgram(const std::string& name) {
  return HaveProgram(name) ? std::string() : "the program " + name + " is not installed";
}

bool UseProgram(const std::string& name) {
  if (HaveProgram(name)) return true;
  if (StrictTests()) ADD_FAILURE() << MissingProgram(name) << " (KORVID_STRICT_TESTS=1)";
  return false;
}

CommandResult RunCommand(const std::vector<std::string>& argv) {
  CommandResult result;
  if (argv.empty()) return result;
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return result;
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
    return result;
  }
  if (pid == 0) {
    ::dup2(pipe_fds[1], STDOUT_FILENO);
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  std::array<char, 65536> buffer{};
  for (;;) {
    const ssize_t n = ::read(pipe_fds[0], buffer.data(), buffer.size());
    if (n <= 0) break;
    result.output.append(buffer.data(), static_cast<std::size_t>(n));
  }
  ::close(pipe_fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

bool HaveProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string dirs = path;
  std::size_t start = 0;
  while (start <= dirs.size()) {
    const std::size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!dir.empty() && ::access((std::filesystem::path(dir) / name).c_str(), X_OK) == 0) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  // In one read: byte by byte, a long clip's sound took seconds under the
  // sanitizers.
  const std::streamoff size = in.tellg();
  if (size < 0) throw std::runtime_error("cannot read " + path.string());
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) throw std::runtime_error("cannot read " + path.string());
  return bytes;
}

void WriteWholeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace korvid::test
