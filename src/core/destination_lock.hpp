#pragma once

#include <string>

#include "platform/files.hpp"

namespace quorvane {

// Claims the folder cuts go to (UTF-8) for a batch or for one cut, and
// removes there what killed cuts left behind. A batch has its destination to
// itself: a second batch, or a single cut, into it is refused with a
// FileError(CannotWrite) before anything is written. The claim lasts as long
// as the returned lock.
DestinationLock claimDestination(const std::string& folder, DestinationLock::Use use);

}  // namespace quorvane
