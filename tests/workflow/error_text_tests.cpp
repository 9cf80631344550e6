// The text a user is shown for an error: what failed, once, on which file.

#include <gtest/gtest.h>

#include <climits>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>

#include "engine/byte_reader.hpp"
#include "engine/errors.hpp"
#include "slider/slider_model.hpp"
#include "workflow/error_text.hpp"

namespace quorvane::test {
namespace {

std::string shown(const std::function<void()>& refused, const std::string& currentFile) {
    try {
        refused();
    } catch (...) {
        return describeError(std::current_exception(), currentFile);
    }
    return "not refused";
}

TEST(ErrorText, SliderErrorsNameTheirNumberAndWhatWasRefusedOnce) {
    TarnSlider slider;
    slider.SetMax(1);
    EXPECT_EQ(shown([&] { slider.SetMax(0); }, ""),
              "Error 380: invalid property value: Max = 0 refused (Max must be above Min = 0)");
    slider.SetMin(-1);
    EXPECT_EQ(shown([&] { slider.SetMax(INT_MAX); }, "/songs/A.MID"),
              "Error 6: overflow: Max = 2147483647 refused "
              "(Max - Min does not fit in 32 bits with Min = -1)\n/songs/A.MID");
}

TEST(ErrorText, FileErrorsGiveTheirHeadlineFileReasonAndPlace) {
    const struct {
        FileError error;
        const char* message;  // in the window; the log line leaves out the file
    } cases[] = {
        {{ErrorKind::UnreadableMidi, "/s/A.MID", "the file ends early", 100},
         "CANNOT READ MIDI FILE: /s/A.MID: the file ends early (at byte 100)"},
        {{ErrorKind::CannotOpen, "/s/A.MID", "not a regular file"}, "CANNOT OPEN FILE: /s/A.MID: not a regular file"},
        {{ErrorKind::CannotRead, "/s/A.MID", "read error", 0}, "CANNOT READ FILE: /s/A.MID: read error (at byte 0)"},
        {{ErrorKind::CannotWrite, "/s/A-CUT.mid", "disk full"}, "CANNOT WRITE FILE: /s/A-CUT.mid: disk full"},
        {{ErrorKind::CannotCut, "/s/A.MID", "too far"}, "CANNOT CUT FILE: /s/A.MID: too far"},
        {{ErrorKind::NotPrepared, "/s/A.MID", ""}, "FILE NOT READY TO CUT: /s/A.MID"},
    };
    for (const auto& c : cases) {
        const std::exception_ptr error = std::make_exception_ptr(c.error);
        EXPECT_EQ(describeError(error, "/s/OTHER.MID"), c.message);
        std::string logged = c.message;
        logged.erase(logged.find(": " + c.error.file()), 2 + c.error.file().size());
        EXPECT_EQ(describeFileFailure(error), logged);
    }
}

// A file that opens but cannot be read says so (Linux: the process's own
// memory reads as an error at address 0).
TEST(ErrorText, AReadFailureAfterOpeningIsNotAnOpenFailure) {
    if (!std::filesystem::exists("/proc/self/mem")) GTEST_SKIP() << "no /proc/self/mem to fail a read";
    ByteReader in = ByteReader::open("/proc/self/mem", "mem.mid");
    EXPECT_EQ(shown([&] { in.u8(); }, ""), "CANNOT READ FILE: mem.mid: read error (at byte 0)");
}

}  // namespace
}  // namespace quorvane::test
