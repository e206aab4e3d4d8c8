#pragma once
// dvgrab as an independent AVI writer: raw DV in, a type-1 or type-2 AVI out.

#include <filesystem>
#include <string>

namespace korvid::test {

// Runs `dvgrab -input dv -format dv1|dv2 [-opendml] prefix` and returns the
// file it wrote (prefix + "001.avi"), or an empty path when it never did.
// dvgrab now and then hangs after reading its input, deaf to SIGTERM, so
// each try is killed after a few seconds and the conversion tried again;
// it also waits on a terminal for input, so it gets none.
std::filesystem::path RunDvgrab(const std::filesystem::path& dv, const std::string& format, bool opendml,
                                const std::string& prefix);

}  // namespace korvid::test
