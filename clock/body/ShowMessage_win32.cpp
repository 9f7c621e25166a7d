#include "ShowMessage.h"

#include <string>

#include "GuardedStep.h"
#include "wide_text.h"

int horlin::ShowMessage(HWND owner, const char* text, const char* caption, UINT type) {
  std::wstring wText, wCaption;
  const bool converted = GuardedStep([&] {
    wText = wide::FromCp932(text);
    wCaption = wide::FromCp932(caption);
  });
  // Without memory for the conversion, or for a text that doesn't convert, the
  // bytes go out as they are.
  if (converted && !wText.empty()) return MessageBoxW(owner, wText.c_str(), wCaption.c_str(), type);
  return MessageBoxA(owner, text, caption, type);
}
