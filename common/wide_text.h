// Texts between UTF-16, for the wide Win32 calls, and the encodings our code
// keeps them in: code page 932 (the texts both products show, so the Japanese
// reads the same whatever the system's code page) and UTF-8 (the tools' file
// names, arguments and messages). Windows only; header-only, so each binary
// carries its own copy and neither product depends on the other.
#pragma once

#include <windows.h>

#include <string>

namespace wide {

// The text converted from a code page; empty for a null, empty or
// unconvertible text. May throw std::bad_alloc.
inline std::wstring FromCodePage(UINT codePage, const char* text) {
  if (!text) return std::wstring();
  const int n = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  if (MultiByteToWideChar(codePage, 0, text, -1, &out[0], n) != n) return std::wstring();
  out.resize(static_cast<size_t>(n - 1));  // drop the terminator counted by -1
  return out;
}

inline std::wstring FromCp932(const char* text) { return FromCodePage(932, text); }
inline std::wstring FromUtf8(const std::string& text) { return FromCodePage(CP_UTF8, text.c_str()); }

// The wide text in a code page; empty for a null, empty or unconvertible
// text. May throw std::bad_alloc.
inline std::string ToCodePage(UINT codePage, const wchar_t* text) {
  if (!text) return std::string();
  const int n = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  if (WideCharToMultiByte(codePage, 0, text, -1, &out[0], n, nullptr, nullptr) != n) return std::string();
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

inline std::string ToUtf8(const std::wstring& text) { return ToCodePage(CP_UTF8, text.c_str()); }

}  // namespace wide
