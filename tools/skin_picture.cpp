// What both systems share of reading pictures: the --face-bmp picture, read
// by the library exactly as the clock reads its skin (so a file that passes
// here is one the clock could read too), and decoded pixels laid over black.
#include <algorithm>
#include <stdexcept>

#include "FaceTables.h"
#include "pixolan.h"
#include "skin_picture.h"

Picture ReadFaceBmp(const std::string& path) {
  std::string name = path;
  ZEMADisplayFCDIB picture(LibraryVersion, nullptr, nullptr, &name[0], 3, LANGUAGE_ENGLISH);
  if (picture.ErrorCode != ERR_NONE) {
    std::string why = picture.GetErrorMessage();
    std::replace(why.begin(), why.end(), '\n', ' ');
    throw std::runtime_error("cannot use the face picture " + path + ": " + why +
                             " (an uncompressed Windows BMP is needed; --face-image reads other pictures)");
  }
  const LONG w = picture.BitmapInfo.bmiHeader.biWidth, h = picture.BitmapInfo.bmiHeader.biHeight;
  if (w != kFaceWidth || h < kFaceHeight)
    throw std::runtime_error("the face picture " + path + " is " + std::to_string(w) + " x " + std::to_string(h) +
                             "; it must be " + std::to_string(kFaceWidth) + " pixels wide and at least " +
                             std::to_string(kFaceHeight) + " high (its top " + std::to_string(kFaceHeight) +
                             " rows are the face)");
  const pixolan::PixelRows rows = pixolan::PixelRows::Of(picture);
  Picture face;
  face.w = kFaceWidth;
  face.h = kFaceHeight;
  for (int y = 0; y < kFaceHeight; ++y) {
    const unsigned char* row = rows.Row(y);
    face.bgr.insert(face.bgr.end(), row, row + 3 * kFaceWidth);
  }
  return face;
}

Picture OverBlack(int w, int h, const uint8_t* bgra) {
  Picture p;
  p.w = w;
  p.h = h;
  p.bgr.resize(static_cast<size_t>(w) * h * 3);
  for (size_t i = 0, n = static_cast<size_t>(w) * h; i < n; ++i) {
    const unsigned a = bgra[4 * i + 3];
    for (int c = 0; c < 3; ++c) p.bgr[3 * i + c] = static_cast<uint8_t>((bgra[4 * i + c] * a + 127) / 255);
  }
  return p;
}
