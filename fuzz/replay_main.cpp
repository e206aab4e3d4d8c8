// Runs a fuzz target over every file of the folders or files named on the
// command line, for builds without libFuzzer: the test build's sanitizers
// then catch what a stored input brings back. Exits 0 when every input ran.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool Replay(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
    return false;
  }
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  // A copy of exactly the input's size, so that a read past its end is
  // seen; an empty input still gets a valid address, as libFuzzer gives it.
  std::vector<std::uint8_t> exact(bytes.empty() ? 1 : bytes.size());
  std::copy(bytes.begin(), bytes.end(), exact.begin());
  LLVMFuzzerTestOneInput(exact.data(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t inputs = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path named(argv[i]);
    std::error_code error;
    if (!std::filesystem::is_directory(named, error)) {
      if (!Replay(named)) return 1;
      ++inputs;
      continue;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::directory_iterator(named))
      if (item.is_regular_file()) files.push_back(item.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
      if (!Replay(file)) return 1;
      ++inputs;
    }
  }
  if (inputs == 0) {
    std::fprintf(stderr, "replay: no inputs found\n");
    return 1;
  }
  std::printf("replay: %zu inputs ran\n", inputs);
  return 0;
}
