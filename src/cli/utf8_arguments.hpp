#pragma once

#include <string>
#include <vector>

namespace quorvane::cli {

// The program's arguments in UTF-8, as the rest of the program keeps text.
// Windows hands main() its arguments in the ANSI code page, which cannot
// hold every file name (☃.mid turns into ?.mid): there they are read again
// from the wide command line. Elsewhere they are taken as they are.
class Utf8Arguments {
public:
    Utf8Arguments(int argc, char** argv);
    Utf8Arguments(const Utf8Arguments&) = delete;
    Utf8Arguments& operator=(const Utf8Arguments&) = delete;

    int argc() const { return static_cast<int>(texts_.size()); }
    char** argv() { return pointers_.data(); }

private:
    std::vector<std::string> texts_;
    std::vector<char*> pointers_;  // into texts_, ended by nullptr as main()'s
};

}  // namespace quorvane::cli
