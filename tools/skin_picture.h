// Pictures in and out of the skin tool: a face picture read from the file
// formats the system decodes, and PNG files written for the previews.
// Linux reads PNG (libpng) and BMP of every header version (the tool's own
// reader); Windows reads and writes through the Windows Imaging Component.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
  int w = 0, h = 0;
  std::vector<uint8_t> bgr;  // blue, green, red; top row first, no row padding
};

// Rows of blue, green, red and alpha bytes (top row first) laid over black,
// as the decoders hand them over.
Picture OverBlack(int w, int h, const uint8_t* bgra);

// The picture in a file (a UTF-8 path). Transparent parts are laid over
// black. Throws std::runtime_error with a plain message when the file is
// missing or is no picture this system reads.
Picture ReadPicture(const std::string& path);

// The top 60 rows of an uncompressed BMP 360 pixels wide, read by the
// library as the clock reads its skin (--face-bmp).
Picture ReadFaceBmp(const std::string& path);

// Writes rows of red, green and blue bytes (top row first) as a PNG. Throws
// std::runtime_error when the file cannot be written.
void WritePng(const std::string& path, int w, int h, const std::vector<unsigned char>& rgb);

// Reads a whole BMP file held in memory: any header version (core, 40 bytes,
// V2 to V5), 1, 4, 8, 16, 24 or 32 bits per pixel, uncompressed or with bit
// fields, either row order. `name` is for messages.
Picture DecodeBmp(const std::vector<uint8_t>& file, const std::string& name);
