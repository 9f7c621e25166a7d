// Code page 932 texts as UTF-16 for the wide Win32 calls.
#pragma once

#include <string>

namespace horlin {

// The text converted from code page 932, whatever the system's code page;
// empty for a null or unconvertible text. May throw std::bad_alloc.
std::wstring WideFromCp932(const char* text);

}  // namespace horlin
