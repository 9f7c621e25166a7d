// Program entry: the window class, the main window and the message loop.
#include <windows.h>

#include "MainWindow.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR, int nCmdShow) {
  Window::hInstance = hInstance;
  Window::hPrevInstance = hPrevInstance;
  Window::CmdShow = nCmdShow;
  // A refused registration ends the program at once, without a message.
  if (!Window::hPrevInstance && !MainWindow::RegisterWindowClass()) return 1;

  MSG msg{};
  {
    MainWindow main;
    // GetMessage returns -1 on failure; that ends the loop as well.
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }  // the destructor saves the settings
  return static_cast<int>(msg.wParam);
}
