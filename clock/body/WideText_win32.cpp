#include "WideText.h"

#include <windows.h>

std::wstring horlin::WideFromCp932(const char* text) {
  if (!text) return std::wstring();
  int n = MultiByteToWideChar(932, 0, text, -1, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  if (MultiByteToWideChar(932, 0, text, -1, &out[0], n) != n) return std::wstring();
  out.resize(static_cast<size_t>(n - 1));  // drop the terminator counted by -1
  return out;
}
