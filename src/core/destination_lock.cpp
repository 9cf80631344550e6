#include "destination_lock.hpp"

#include "engine/errors.hpp"
#include "platform/output_file.hpp"

namespace quorvane {

DestinationLock claimDestination(const std::string& folder, DestinationLock::Use use) {
    DestinationLock lock(pathFromUtf8(folder), use);
    switch (lock.refusedBy()) {
        case DestinationLock::Holder::Batch:
            throw FileError(ErrorKind::CannotWrite, folder, "another CUT ALL is writing into this destination");
        case DestinationLock::Holder::SingleCut:
            throw FileError(ErrorKind::CannotWrite, folder, "a cut is being written into this destination; try again");
        case DestinationLock::Holder::None: break;
    }
    removeLeftoverTemporaries(folder);
    return lock;
}

}  // namespace quorvane
