// On Windows the CP932 texts are converted to UTF-16 and shown with
// MessageBoxW, so the Japanese reads correctly whatever the system's code page.
#include "internal.h"

#include <string>

// The conversion the clock uses as well.
#include "wide_text.h"

void pixolan::ShowErrorBox(HWND owner, const char* text, const char* caption) {
  try {
    std::wstring wText = wide::FromCp932(text), wCaption = wide::FromCp932(caption);
    if (!wText.empty()) {
      MessageBoxW(owner, wText.c_str(), wCaption.c_str(), MB_OK | MB_ICONERROR);
      return;
    }
  } catch (...) {
    // No memory for the conversion: fall back to the bytes as they are.
  }
  MessageBoxA(owner, text, caption, MB_OK | MB_ICONERROR);
}
