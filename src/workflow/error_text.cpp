#include "error_text.hpp"

#include <filesystem>
#include <stdexcept>

#include "engine/errors.hpp"
#include "music_engine.hpp"
#include "slider/slider_error.hpp"

namespace quorvane {

namespace {
std::string withFile(std::string text, const std::string& file) {
    if (!file.empty() && text.find(file) == std::string::npos) text += "\n" + file;
    return text;
}

// The standard description of a slider error's number.
const char* sliderErrorDescription(int number) {
    switch (number) {
        case SliderError::kInvalidPropertyValue: return "invalid property value";
        case SliderError::kOverflow: return "overflow";
        default: return "slider error";
    }
}
}  // namespace

std::string describeError(const std::exception_ptr& error, const std::string& currentFile) {
    try {
        std::rethrow_exception(error);
    } catch (const FileError& e) {
        return userMessage(e);
    } catch (const music::EngineError& e) {
        return withFile(e.what(), e.file().empty() ? currentFile : e.file());
    } catch (const SliderError& e) {
        // The slider's own text is only the detail: what was refused and why.
        return withFile("Error " + std::to_string(e.Number()) + ": " + sliderErrorDescription(e.Number()) +
                            ": " + e.what(),
                        currentFile);
    } catch (const std::filesystem::filesystem_error& e) {
        return withFile(std::string("CANNOT READ FOLDER: ") + e.code().message(), e.path1().string());
    } catch (const std::exception& e) {
        return withFile(e.what(), currentFile);
    } catch (...) {
        return withFile("Unexpected error", currentFile);
    }
}

std::string describeFileFailure(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const FileError& e) {
        std::string text = FileError::headline(e.kind());
        if (!e.reason().empty()) text += ": " + e.reason();
        if (e.offset()) text += " (at byte " + std::to_string(*e.offset()) + ")";
        return text;
    } catch (const music::EngineError& e) {
        // The measure reads the whole song: what it cannot place is unreadable.
        return std::string(FileError::headline(ErrorKind::UnreadableMidi)) + ": " + e.reason();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unexpected error";
    }
}

}  // namespace quorvane
