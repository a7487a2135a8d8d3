// Opens the reader on the port given and ends without closing it; the
// library closes it as the process unloads it.
#include <cstdio>

#include "cardlib/Corvex.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: corvex_open_and_exit PORT\n");
    return 2;
  }
  const int32_t status = GenOpenDevice(nullptr, argv[1]);
  if (status != CORVEX_OK) {
    std::fprintf(stderr, "GenOpenDevice: 0x%X\n", static_cast<unsigned>(status));
    return 1;
  }
  return 0;
}
