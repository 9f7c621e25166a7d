#include "ShowMessage.h"

#include <string>

namespace {
std::wstring FromCp932(const char* text) {
  int n = MultiByteToWideChar(932, 0, text, -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(932, 0, text, -1, &out[0], n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}
}  // namespace

int horlin::ShowMessage(HWND owner, const char* text, const char* caption, UINT type) {
  try {
    std::wstring wText = FromCp932(text), wCaption = FromCp932(caption);
    if (!wText.empty()) return MessageBoxW(owner, wText.c_str(), wCaption.c_str(), type);
  } catch (...) {
    // No memory for the conversion: show the bytes as they are.
  }
  return MessageBoxA(owner, text, caption, type);
}
