// The one guard around code that may raise (no memory, or anything else):
// nothing escapes it, and the caller learns what happened. The library turns
// the outcome into an error code, the clock into its step's message.
// Header-only, so each binary carries its own copy.
#pragma once

#include <new>

namespace guarded {

enum class Outcome { kDone, kNoMemory, kFailed };

template <typename Step>
Outcome Run(Step&& step) noexcept {
  try {
    step();
    return Outcome::kDone;
  } catch (const std::bad_alloc&) {
    return Outcome::kNoMemory;
  } catch (...) {
    return Outcome::kFailed;
  }
}

}  // namespace guarded
