#include "ShowMessage.h"

#include <string>

#include "WideText.h"

int horlin::ShowMessage(HWND owner, const char* text, const char* caption, UINT type) {
  try {
    std::wstring wText = WideFromCp932(text), wCaption = WideFromCp932(caption);
    if (!wText.empty()) return MessageBoxW(owner, wText.c_str(), wCaption.c_str(), type);
  } catch (...) {
    // No memory for the conversion: show the bytes as they are.
  }
  return MessageBoxA(owner, text, caption, type);
}
