// Fuzz target for the file constructor. The input is a BMP file; it is
// written to a temporary file and read as a 24-bit, 32-bit and automatic image
// (ColorType 3, 4 and 0). Acceptable but large images are skipped.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bmp_fuzz_common.h"

using namespace fuzz;

namespace {

// One file per process, removed again when the process exits. The name lives
// in static storage with no destructor, so the exit handler can still use it.
char gTempName[] = "/tmp/pixolan-fuzz-XXXXXX";

const char* TempFile() {
  static const bool made = [] {
    const int fd = ::mkstemp(gTempName);
    if (fd < 0) return false;
    ::close(fd);
    std::atexit([] { std::remove(gTempName); });
    return true;
  }();
  return made ? gTempName : nullptr;
}

void FromFile(const std::uint8_t* data, std::size_t size) {
  if (size >= 54 && Classify(le::InfoHeader(data + 14)) == Size::Large) return;
  const char* path = TempFile();
  if (path == nullptr) return;
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return;
  const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
  if (std::fclose(f) != 0 || !written) return;
  std::string name = path;
  for (int colorType : {3, 4, 0}) {
    ZEMADisplayFCDIB img(LibraryVersion, nullptr, nullptr, &name[0], colorType, LANGUAGE_ENGLISH);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FromFile(data, size);
  return 0;
}
