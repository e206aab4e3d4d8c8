#include "support/list_samples.h"

#include <system_error>

#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid::test {

std::filesystem::path PlaceSample(const std::string& sample, const std::filesystem::path& target) {
  std::filesystem::create_directories(target.parent_path());
  std::error_code error;
  std::filesystem::create_hard_link(StandardSample(sample), target, error);
  if (error) std::filesystem::copy_file(StandardSample(sample), target);
  return target;
}

std::filesystem::path PlaceNotAvi(const std::filesystem::path& target) {
  std::filesystem::create_directories(target.parent_path());
  const std::string text = "this is a text file, not RIFF\n";
  WriteWholeFile(target, std::vector<std::uint8_t>(text.begin(), text.end()));
  return target;
}

media::DatecodeFormat PlainDatecodeFormat() { return {"yyyy-mm-dd hh:nn:ss", settings::EnglishLocaleFormats()}; }

}  // namespace korvid::test
