#include "error_messages.hpp"

#include "engine/errors.hpp"
#include "platform/text.hpp"

namespace quorvane {

namespace {
std::string withFile(std::string text, const std::string& file) {
    if (!file.empty() && text.find(file) == std::string::npos) {
        text += '\n';
        text += withoutControlCharacters(file);
    }
    return text;
}

// The one place where an error becomes the user's text. A file error names
// its own file; `currentFile` names it for the others, unless it is left
// empty (a log line names the file itself).
std::string describe(const std::exception_ptr& error, const std::string& currentFile, bool namesFile) {
    try {
        std::rethrow_exception(error);
    } catch (const FileError& e) {
        return userMessage(e, namesFile);
    } catch (const std::exception& e) {
        return withFile(e.what(), currentFile);
    } catch (...) {
        return withFile("Unexpected error", currentFile);
    }
}
}  // namespace

std::string describeError(const std::exception_ptr& error, const std::string& currentFile) {
    return describe(error, currentFile, true);
}

std::string describeFileFailure(const std::exception_ptr& error) { return describe(error, {}, false); }

std::string withFileNamed(const std::string& text, const std::string& file) { return withFile(text, file); }

std::string describeReason(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const FileError& e) {
        std::string text = e.reason();
        if (e.offset()) text += " (at byte " + std::to_string(*e.offset()) + ")";
        return text;
    } catch (...) {
        return describeFileFailure(error);
    }
}

std::string destinationFault(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const FileError& e) {
        if (refusesEveryFile(e)) return e.cause().message();
    } catch (...) {
    }
    return {};
}

FileError unsupportedFormat(const std::string& file, std::uint16_t format) {
    return FileError(ErrorKind::UnreadableMidi, file, "format " + std::to_string(format) + " is not supported");
}

}  // namespace quorvane
