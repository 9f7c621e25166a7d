// The clock's guard around one step of allocation and construction: whatever
// the step raises (no memory, or a constructor's own exception) makes it fail,
// and the caller shows that step's own message.
#pragma once

#include "guarded.h"

namespace horlin {

// Runs the step; true when it finished, false when it raised anything.
template <typename Step>
bool GuardedStep(Step&& step) noexcept {
  return guarded::Run(step) == guarded::Outcome::kDone;
}

}  // namespace horlin
