#pragma once

#include <exception>
#include <string>

namespace quorvane {

// The text a user is shown for an error that stopped a command: what went
// wrong and on which file. `currentFile` names the file when the error
// itself does not.
std::string describeError(const std::exception_ptr& error, const std::string& currentFile);

}  // namespace quorvane
