// Code page 932 texts as UTF-16, for the wide Win32 calls of both the library
// (its message boxes) and the clock (window, menu, boxes): the Japanese texts
// read the same whatever the system's code page. Windows only; header-only,
// so each binary carries its own copy and neither depends on the other.
#pragma once

#include <windows.h>

#include <string>

namespace cp932 {

// The text converted from code page 932; empty for a null, empty or
// unconvertible text. May throw std::bad_alloc.
inline std::wstring WideFromCp932(const char* text) {
  if (!text) return std::wstring();
  const int n = MultiByteToWideChar(932, 0, text, -1, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  if (MultiByteToWideChar(932, 0, text, -1, &out[0], n) != n) return std::wstring();
  out.resize(static_cast<size_t>(n - 1));  // drop the terminator counted by -1
  return out;
}

}  // namespace cp932
