#pragma once

#include <exception>
#include <string>

#include "core/error_messages.hpp"

namespace quorvane {

// The text a user is shown for an error that stopped a window command: as
// describeError, and a slider's refusal with its number and description.
std::string describeCommandError(const std::exception_ptr& error, const std::string& currentFile);

}  // namespace quorvane
