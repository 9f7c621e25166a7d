// Rows of whole pixels converted between the 24- and 32-bit layouts, shared
// by the masked copy and the BMP reader.
#pragma once

#include "transfer.h"

namespace pixolan {

// `n` 24-bit pixels into 32-bit ones whose fourth byte is `alpha`.
void Convert24To32Row(const Byte* s, Byte* d, long n, Byte alpha);

// `n` 32-bit pixels into 24-bit ones; the fourth bytes are dropped. Exactly
// the row's own bytes are written.
void Convert32To24Row(const Byte* s, Byte* d, long n);

}  // namespace pixolan
