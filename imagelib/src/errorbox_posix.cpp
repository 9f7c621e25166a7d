// Without Windows the stand-in's MessageBoxA receives the CP932 bytes as they are.
#include "internal.h"

void pixolan::ShowErrorBox(HWND owner, const char* text, const char* caption) {
  MessageBoxA(owner, text, caption, MB_OK | MB_ICONERROR);
}
