// A code page 932 text in a modal message box, the one way both products
// show one. On Windows the text is converted to UTF-16 and shown with
// MessageBoxW, so the Japanese reads correctly whatever the system's code
// page; without memory for that, or for a text that does not convert, the
// bytes go to MessageBoxA as they are, as they always do elsewhere (the Linux
// stand-in prints them). Defined in message_box_win32.cpp and
// message_box_posix.cpp beside this file; each product links its own copy.
#pragma once

#include <windows.h>

namespace boxes {

int ShowCp932(HWND owner, const char* text, const char* caption, UINT type);

}  // namespace boxes
