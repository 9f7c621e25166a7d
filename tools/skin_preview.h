// The preview of a skin: the face in its four corner layouts at one time,
// composed by the clock body itself, saved as a PNG.
#pragma once

#include <string>
#include <vector>

// Reads the skin in DIR as the clock does at artwork size k (1 to 4) and
// writes the preview to a PNG (UTF-8 paths). Throws std::runtime_error with a
// plain message when the skin cannot be read or the PNG cannot be written.
void WritePreview(const std::string& dir, const std::string& png, int k);
// The same at display scales, one column of four layouts per DPI, side by
// side and 8 pixels apart: what the clock shows on those displays, from
// whichever artwork size it picks for each.
void WritePreviewAtDpis(const std::string& dir, const std::string& png, const std::vector<int>& dpis);
