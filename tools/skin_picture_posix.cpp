// Pictures on Linux: PNG through libpng, BMP through the tool's own reader.
#include <png.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "skin_picture.h"

namespace {

Picture DecodePng(const std::vector<uint8_t>& file, const std::string& name) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  std::vector<uint8_t> bgra;
  if (png_image_begin_read_from_memory(&image, file.data(), file.size())) {
    image.format = PNG_FORMAT_BGRA;
    if (static_cast<long long>(image.width) * image.height <= (1LL << 26)) {
      bgra.resize(PNG_IMAGE_SIZE(image));
      if (png_image_finish_read(&image, nullptr, bgra.data(), 0, nullptr)) {
        return OverBlack(static_cast<int>(image.width), static_cast<int>(image.height), bgra.data());
      }
    } else {
      png_image_free(&image);
      throw std::runtime_error("the face picture " + name + " is too large (" + std::to_string(image.width) + " x " +
                               std::to_string(image.height) + ")");
    }
  }
  const std::string why = image.message;
  png_image_free(&image);
  throw std::runtime_error("the face picture " + name + " is a PNG file that cannot be read (" + why + ")");
}

}  // namespace

Picture ReadPicture(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("the face picture " + path + " does not exist or cannot be opened");
  const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (file.size() >= 8 && std::memcmp(file.data(), kPngSignature, 8) == 0) return DecodePng(file, path);
  if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') return DecodeBmp(file, path);
  throw std::runtime_error("the face picture " + path + " is not a picture this tool reads (PNG or BMP on Linux)");
}

void WritePng(const std::string& path, int w, int h, const std::vector<unsigned char>& rgb) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot write " + path);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = info != nullptr;
  if (ok && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) png_write_row(png, rgb.data() + static_cast<size_t>(y) * w * 3);
    png_write_end(png, nullptr);
  } else {
    ok = false;
  }
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0 || !ok) throw std::runtime_error("cannot write " + path);
}
