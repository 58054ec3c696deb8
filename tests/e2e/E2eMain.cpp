// The end-to-end test's entry: the application object is made as the program's
// own entry makes it (the framework's application with its exception display,
// then the font substitutes); the test then builds the main window on the ALSA
// back end. Listing the tests needs no application.
#include <dlfcn.h>

#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "platform/ui/Application.h"
#include "platform/ui/Fonts.h"

namespace e2e { [[noreturn]] void RunInterruptedSession(); }  // --interrupted-session: the resume test's child

int main(int argc, char** argv) {
    bool listing = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0) listing = true;
    }
    ::testing::InitGoogleTest(&argc, argv);
    // jackd's libjack stays loaded for the run, for LeakSanitizer's sake (see common/TestMain.cpp).
    dlopen("libjack.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    std::unique_ptr<TApplication> pApplication;
    if (!listing) {
        pApplication = std::make_unique<TApplication>(argc, argv);
        InstallFontSubstitutes();
    }
    if (argc > 1 && std::strcmp(argv[1], "--interrupted-session") == 0) e2e::RunInterruptedSession();
    return RUN_ALL_TESTS();
}
