#include "message_box.h"

#include <string>

#include "guarded.h"
#include "wide_text.h"

int boxes::ShowCp932(HWND owner, const char* text, const char* caption, UINT type) {
  std::wstring wideText, wideCaption;
  const guarded::Outcome converted = guarded::Run([&] {
    wideText = wide::FromCp932(text);
    wideCaption = wide::FromCp932(caption);
  });
  if (converted == guarded::Outcome::kDone && !wideText.empty())
    return MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), type);
  return MessageBoxA(owner, text, caption, type);
}
