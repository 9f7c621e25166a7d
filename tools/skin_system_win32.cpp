// The wide command line as UTF-8, and UTF-8 for the console's output too.
#include <windows.h>

#include <shellapi.h>  // after windows.h, which it builds on

#include "skin_system.h"
#include "wide_text.h"

std::vector<std::string> CommandLine(int argc, char** argv) {
  SetConsoleOutputCP(CP_UTF8);
  int count = 0;
  LPWSTR* wideArgs = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wideArgs == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> args(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) args[static_cast<std::size_t>(i)] = wide::ToUtf8(wideArgs[i]);
  LocalFree(wideArgs);
  return args;
}
