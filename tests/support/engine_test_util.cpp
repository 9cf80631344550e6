#include "engine_test_util.hpp"

#include <atomic>
#include <random>

#include "engine/platform_files.hpp"

namespace quorvane::test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    const auto tag = std::to_string(std::random_device{}()) + "-" + std::to_string(counter++);
    path_ = std::filesystem::temp_directory_path() / ("quorvane-test-" + tag);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string& name) const { return utf8FromPath(path_ / pathFromUtf8(name)); }

std::string TempDir::write(const std::string& name, const Bytes& bytes) const {
    const std::string path = file(name);
    std::ofstream(pathFromUtf8(path), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<std::string> TempDir::names() const {
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        out.push_back(utf8FromPath(entry.path().filename()));
    std::sort(out.begin(), out.end());
    return out;
}

Bytes readBytes(const std::string& path) {
    std::ifstream in(pathFromUtf8(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace quorvane::test
