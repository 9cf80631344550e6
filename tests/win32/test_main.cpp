// The tests of the Windows window run on a thread set up as the program's:
// COM started for the Imaging Component and the folder picker.

#include <gtest/gtest.h>
#include <objbase.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const int status = RUN_ALL_TESTS();
    ::CoUninitialize();
    return status;
}
