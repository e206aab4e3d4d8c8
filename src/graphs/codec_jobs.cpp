#include "graphs/codec_jobs.h"

#include <dlfcn.h>

#include <string>

#include "resources/product.h"
#include "resources/program_files.h"
#include "resources/user_error.h"

// Defined where the codec jobs are linked in; null in the runner, which
// opens them as a module instead.
extern "C" const korvid::graphs::CodecJobs* korvid_linked_codec_jobs() __attribute__((weak));

namespace korvid::graphs {
namespace {

using ModuleEntry = const CodecJobs* (*)(const char* version);

std::filesystem::path ModulePath() {
  const std::filesystem::path program = resources::RunningProgram();
  if (program.empty()) throw UserError("cannot find the media libraries: the running program is unknown");
  return program.parent_path() / resources::kCodecModuleName;
}

// The module stays loaded for the rest of the process: the jobs it made
// run code from it until their end.
const CodecJobs& OpenModule() {
  const std::filesystem::path path = ModulePath();
  void* const module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) throw UserError(std::string("cannot load the media libraries: ") + dlerror());
  const auto entry = reinterpret_cast<ModuleEntry>(dlsym(module, kCodecModuleEntry));
  const CodecJobs* const jobs = entry != nullptr ? entry(resources::kProductVersion.data()) : nullptr;
  if (jobs == nullptr) throw UserError(path.string() + " belongs to another build of Korvid");
  return *jobs;
}

}  // namespace

const CodecJobs& Codecs() {
  static const CodecJobs& jobs = korvid_linked_codec_jobs != nullptr ? *korvid_linked_codec_jobs() : OpenModule();
  return jobs;
}

}  // namespace korvid::graphs
