#include "message_box.h"

int boxes::ShowCp932(HWND owner, const char* text, const char* caption, UINT type) {
  return MessageBoxA(owner, text, caption, type);
}
