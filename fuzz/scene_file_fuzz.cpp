// Any bytes as a scene file (.scn): the reader must give the scene starts
// or nothing, never read past the file. The same bytes also choose a path
// and scenes for the writer's records, which must read back as written.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "commands/scene_files.h"
#include "fuzz/byte_reader.h"
#include "fuzz/memory_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::optional<std::vector<std::int64_t>> ReadBack(const Bytes& bytes) {
  const korvid::fuzz::MemoryFile memory(bytes.data(), bytes.size());
  if (!memory.ok()) return std::nullopt;
  return korvid::commands::ReadScnSceneStarts(memory.path());
}

void CheckRoundTrip(korvid::fuzz::ByteReader in) {
  using namespace korvid::commands;
  const std::span<const std::uint8_t> pathBytes = in.Run(in.Byte());
  const std::string path(pathBytes.begin(), pathBytes.end());

  Bytes file = ScnHeader(path);
  std::vector<std::int64_t> expected;
  const std::int32_t firstFrames = in.Int32();
  const Bytes first = ScnFirstSceneRecord(path, firstFrames);
  file.insert(file.end(), first.begin(), first.end());
  expected.push_back(firstFrames);
  while (!in.empty() && expected.size() < 64) {
    const std::int32_t start = in.Int32();
    const Bytes further = ScnFurtherSceneRecord(start, in.Int32());
    file.insert(file.end(), further.begin(), further.end());
    expected.push_back(start);
  }
  const std::size_t countAt = ScnCountOffset(path);
  file.at(countAt) = static_cast<std::uint8_t>(expected.size());
  file.at(countAt + 1) = static_cast<std::uint8_t>(expected.size() >> 8);
  if (ReadBack(file) != expected) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)ReadBack(Bytes(data, data + size));
  CheckRoundTrip(korvid::fuzz::ByteReader({data, size}));
  return 0;
}
