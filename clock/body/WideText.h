// Code page 932 texts as UTF-16 for the wide Win32 calls (Windows only). The
// one conversion is shared with the library's message boxes.
#pragma once

#include "cp932_wide.h"

namespace horlin {

using cp932::WideFromCp932;

}  // namespace horlin
