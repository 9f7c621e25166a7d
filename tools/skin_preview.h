// The preview of a skin: the face in its four corner layouts at one time,
// composed and painted by the clock body itself, saved as a PNG.
#pragma once

#include <string>

// Reads DIR/KL_Face.bmp and DIR/KL_Figs.dat as the clock does and writes the
// preview to PNG. False after printing why (the clock body's own message
// when it refuses the skin).
bool WritePreview(const std::string& dir, const std::string& png);
