// Patches the frame rate and the codec code of an AVI file in place, the
// way the header-fix commands do, switching between two settings:
//   korvid-header-fix FILE [ROUNDS]
// Each round writes 25 frames/s with "dvsd", then 29.97 frames/s with
// "CDVC". Without ROUNDS it goes on until killed: the fault tests stop it
// at random moments and look at what the header holds.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "media/avi_stream_locator.h"
#include "media/le_bytes.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: korvid-header-fix FILE [ROUNDS]\n");
    return 2;
  }
  const long rounds = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 0;
  try {
    for (long n = 0; rounds == 0 || n < rounds; ++n) {
      korvid::media::WriteFrameRate(argv[1], 25.0);
      korvid::media::WriteVideoHandler(argv[1], korvid::media::FourCC("dvsd"));
      korvid::media::WriteFrameRate(argv[1], 29.97);
      korvid::media::WriteVideoHandler(argv[1], korvid::media::FourCC("CDVC"));
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvid-header-fix: %s\n", e.what());
    return 1;
  }
}
