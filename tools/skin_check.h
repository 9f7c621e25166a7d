// Checking a skin folder (KL_Face.bmp and KL_Figs.dat) the way the clock will
// read it, before the clock refuses it or shows it wrongly.
#pragma once

#include <string>
#include <vector>

struct SkinFinding {
  bool fault;        // the clock would refuse the skin or show it wrongly
  std::string text;  // what is wrong and what to do, in plain words
};

std::vector<SkinFinding> CheckSkin(const std::string& dir);
