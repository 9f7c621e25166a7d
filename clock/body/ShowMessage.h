// Shows a code page 932 text in a modal message box.
#pragma once

#include <windows.h>

namespace horlin {

// On Windows the texts are converted from code page 932 and shown with
// MessageBoxW, so they read correctly whatever the system's code page;
// elsewhere they go to the stand-in's MessageBoxA as bytes.
int ShowMessage(HWND owner, const char* text, const char* caption, UINT type);

}  // namespace horlin
