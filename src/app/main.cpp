#include <cstdio>

int main() {
  std::printf("korvid %s\n", KORVID_VERSION);
  return 0;
}
