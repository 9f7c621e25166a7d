// On Windows the CP932 texts are converted to UTF-16 and shown with
// MessageBoxW, so the Japanese reads correctly whatever the system's code page.
#include "internal.h"

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

void pixolan::ShowErrorBox(HWND owner, const char* text, const char* caption) {
  try {
    std::wstring wText = FromCp932(text), wCaption = FromCp932(caption);
    if (!wText.empty()) {
      MessageBoxW(owner, wText.c_str(), wCaption.c_str(), MB_OK | MB_ICONERROR);
      return;
    }
  } catch (...) {
    // No memory for the conversion: fall back to the bytes as they are.
  }
  MessageBoxA(owner, text, caption, MB_OK | MB_ICONERROR);
}
