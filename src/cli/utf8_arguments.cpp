#include "utf8_arguments.hpp"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace quorvane::cli {

namespace {

#ifdef _WIN32
std::string utf8Of(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string out(static_cast<std::size_t>(size - 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

std::vector<std::string> readArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) return {argv, argv + argc};
    std::vector<std::string> out;
    for (int k = 0; k < count; ++k) out.push_back(utf8Of(wide[k]));
    ::LocalFree(wide);
    return out;
}
#else
std::vector<std::string> readArguments(int argc, char** argv) { return {argv, argv + argc}; }
#endif

}  // namespace

Utf8Arguments::Utf8Arguments(int argc, char** argv) : texts_(readArguments(argc, argv)) {
    for (std::string& text : texts_) pointers_.push_back(text.data());
    pointers_.push_back(nullptr);
}

}  // namespace quorvane::cli
