// Uses the SDK as a client would: a blank image, a fill, a scaled copy, a BMP
// written and read back. Prints "pixolan client: ok" and exits with 0 when
// every pixel is as expected.
#include <cstdio>

#include "pixolan.h"

namespace {

int Fail(const char* what, ZEMADLLBase* object) {
  std::printf("pixolan client: %s failed (code %d)\n", what, object ? object->ErrorCode : -1);
  return 1;
}

}  // namespace

int main() {
  ZEMADisplayFCDIB image(LibraryVersion, nullptr, nullptr, 64, 32, 4, 3780, 3780, LANGUAGE_ENGLISH);
  if (image.ErrorCode != ERR_NONE) return Fail("blank image", &image);
  const tagB_BGRA colour{10, 20, 30, 0};
  image.EraseImage(colour, 1);
  if (image.ErrorCode != ERR_NONE) return Fail("EraseImage", &image);

  ZEMADisplayFCDIB half(&image, 32, 16, 1);
  if (half.ErrorCode != ERR_NONE) return Fail("scaled copy", &half);
  char name[] = "pixolan-client.bmp";
  if (half.SaveImage(name, 1) != ERR_NONE) return Fail("SaveImage", &half);

  ZEMADisplayFCDIB back(LibraryVersion, nullptr, nullptr, name, 3, LANGUAGE_ENGLISH);
  std::remove(name);
  if (back.ErrorCode != ERR_NONE) return Fail("BMP reading", &back);
  if (back.BitmapInfo.bmiHeader.biWidth != 32 || back.BitmapInfo.bmiHeader.biHeight != 16) {
    std::printf("pixolan client: read back %ld x %ld\n", back.BitmapInfo.bmiHeader.biWidth,
                back.BitmapInfo.bmiHeader.biHeight);
    return 1;
  }
  for (int i = 0; i < 32 * 3; i += 3) {
    const unsigned char* p = back.Bits + i;
    if (p[0] != 10 || p[1] != 20 || p[2] != 30) {
      std::printf("pixolan client: pixel %d is %d %d %d\n", i / 3, p[0], p[1], p[2]);
      return 1;
    }
  }
  std::printf("pixolan client: ok\n");
  return 0;
}
