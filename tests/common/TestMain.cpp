// The tests' entry: one QApplication for the whole run (the offscreen platform
// is chosen by the test runner's environment), then every test. Listing the
// tests (as CTest's discovery does) needs no display, so no application is made.
#include <dlfcn.h>

#include <QApplication>

#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "platform/ui/Fonts.h"

int main(int argc, char** argv) {
    bool listing = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0) listing = true;
    }
    ::testing::InitGoogleTest(&argc, argv);
    // jackd's libjack stays loaded for the run, as a linked one would: when the
    // program lets it go after a probe that found no server, it leaves a few
    // bytes behind that LeakSanitizer can no longer trace to it.
    dlopen("libjack.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    std::unique_ptr<QApplication> app;
    if (!listing) {
        app = std::make_unique<QApplication>(argc, argv);
        InstallFontSubstitutes();
    }
    return RUN_ALL_TESTS();
}
